// Numbers as text without the C runtime's formatting, which would more than
// double the program's size.
#pragma once

#include "platform/Afx.h"

// `number` in decimal, with leading zeros up to `digits` digits.
CString DecimalText(unsigned long number, int digits = 1);
