#include "removal/DecimalText.h"

CString DecimalText(unsigned long number, int digits) {
  char reversed[24];
  int length = 0;
  do {
    reversed[length++] = (char)('0' + number % 10);
    number /= 10;
  } while (number > 0 || length < digits);
  CString text;
  while (length > 0) text += reversed[--length];
  return text;
}
