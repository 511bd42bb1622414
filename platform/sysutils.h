// The classic conversion helpers of the run-time library that components share.
#pragma once

#include <QString>

// Text to integer as the classic StrToInt reads it: optional leading blanks, an optional sign,
// decimal digits or "$" and hex digits, nothing after them. EConvertError
// "'S' is not a valid integer value" otherwise (also for the empty text and out of range).
int StrToInt(const QString& S);
