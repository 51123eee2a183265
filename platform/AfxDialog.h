// Dialogs from templates: modal and modeless, with control binding. A static
// dialog procedure keeps `this` from WM_INITDIALOG on and forwards each
// message to the object's handlers.
#pragma once

#include "AfxWnd.h"

class CDialog;

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id` (once).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Copies `text` into the control, or, when saving, the control's text back.
void DDX_Text(CDataExchange* pDX, int id, CString& text);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = NULL);
  ~CDialog() override;

  // Runs the dialog modally; the result given to EndDialog, or -1.
  INT_PTR DoModal();
  // Creates the dialog modelessly; it shows at once when its template is visible.
  BOOL Create(UINT templateId, CWnd* parent = NULL);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL UpdateData(BOOL saveAndValidate);
  BOOL DestroyWindow() override;

  // Binds `control` to the dialog's control `id` until the dialog's window ends.
  void BindControl(CWnd& control, int id);

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  // A message for the dialog; TRUE when handled, with `result` as the answer.
  virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // WM_COMMAND from a control or an accelerator: IDOK and IDCANCEL here.
  virtual BOOL OnCommand(UINT id, UINT code);

  UINT m_templateId;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND OwnerWindow() const;
  void ReleaseWindow();

  enum { kMaxBound = 8 };
  CWnd* m_bound[kMaxBound];
  int m_boundCount;
};
