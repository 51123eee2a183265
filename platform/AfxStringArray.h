// A growable array of strings.
#pragma once

#include "AfxString.h"

class CStringArray {
 public:
  CStringArray();
  ~CStringArray();
  CStringArray(const CStringArray&) = delete;
  CStringArray& operator=(const CStringArray&) = delete;

  int GetSize() const { return m_size; }
  // Shrinking destroys the strings beyond the new size; growing adds "".
  void SetSize(int size);
  // Appends at the index equal to the size; returns that index.
  int Add(const CString& text);
  // Takes out the string at `index`; those after it move up.
  void RemoveAt(int index);
  const CString& GetAt(int index) const { return m_items[index]; }
  const CString& operator[](int index) const { return m_items[index]; }

 private:
  CString* m_items;
  int m_size;
  int m_capacity;
};
