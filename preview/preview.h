#pragma once

// Closes every open preview window (at quit).
void CloseAllPreviews();
// Every open preview re-measures and redraws its buttons in the current language.
void RelayoutPreviewsForLanguage();
