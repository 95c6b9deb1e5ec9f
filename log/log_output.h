#pragma once
// The system side behind LogInfo and LogError: the local time that stamps a line, and the outputs that a
// finished line goes to besides the listener (the debugger output and korvel.log).
#include <string>

#include "log/log_format.h"

LogTime CurrentLogTime();
void OutputLogLine(const std::wstring& line);
