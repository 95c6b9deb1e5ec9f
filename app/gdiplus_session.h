#pragma once

// GDI+ for the whole run: started once before the configuration is read, shut down after the message loop.
bool StartGdiplus();
// Does nothing when GDI+ is not running.
void StopGdiplus();
