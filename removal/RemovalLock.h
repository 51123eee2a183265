// The one removal that may run on this computer at a time: a named mutex that
// every RemoveKM process opens for the length of its removal, whichever front
// end started it and whoever runs it.
#pragma once

#include "platform/Afx.h"

class CRemovalLock {
 public:
  CRemovalLock() : m_mutex(NULL) {}
  ~CRemovalLock();
  CRemovalLock(const CRemovalLock&) = delete;
  CRemovalLock& operator=(const CRemovalLock&) = delete;

  // False when another process holds it.
  bool Take();

 private:
  HANDLE m_mutex;
};
