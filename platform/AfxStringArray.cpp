#include "AfxStringArray.h"

#include <cstdlib>
#include <new>

CStringArray::CStringArray() : m_items(NULL), m_size(0), m_capacity(0) {}

CStringArray::~CStringArray() {
  SetSize(0);
  free(m_items);
}

void CStringArray::SetSize(int size) {
  if (size < 0) size = 0;
  while (m_size > size) m_items[--m_size].~CString();
  if (size > m_capacity) {
    int grown = m_capacity * 2 > size ? m_capacity * 2 : size;
    // CString holds only a pointer and two counts, so its bytes can move.
    CString* items = (CString*)realloc((void*)m_items, grown * sizeof(CString));
    if (items == NULL) abort();
    m_items = items;
    m_capacity = grown;
  }
  while (m_size < size) new (&m_items[m_size++]) CString();
}

int CStringArray::Add(const CString& text) {
  CString copy(text);  // the text may be an element that moves when growing
  SetSize(m_size + 1);
  m_items[m_size - 1] = copy;
  return m_size - 1;
}

void CStringArray::RemoveAt(int index) {
  for (int i = index; i + 1 < m_size; ++i) m_items[i] = m_items[i + 1];
  SetSize(m_size - 1);
}
