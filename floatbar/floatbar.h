#pragma once
#include "app/commands.h"

// The optional translucent always-on-top bar with capture buttons.
bool CreateFloatBar(HostCommandHandler handler);
void DestroyFloatBar();
void SetFloatBarVisible(bool show);
void RelayoutFloatBar();
void HideFloatBarForCapture();
void ReshowFloatBarAfterCapture();
