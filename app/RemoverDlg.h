// The main dialog: owns every piece of state of the program. Its operations
// live beside the subsystem they belong to (location/, removal/).
#pragma once

#include "platform/Afx.h"
#include "removal/ProgressDlg.h"
#include "removal/WidePath.h"
#include "removal/registry/RegistryKey.h"
#include "resource.h"

class CRemovalLog;

// How the last Remove ended, for the program's exit code.
enum RemovalEnding {
  kRemovalNotRun,     // Remove was not pressed
  kLocationDeclined,  // the typed folder was refused or not confirmed; nothing changed
  kStartCancelled,    // Cancel at the start question; nothing changed
  kRemovalBusy,       // another removal runs on this computer; nothing changed
  kDataNotSaved,      // the student data could not all be saved; nothing removed
  kRemovalCompleted,  // all six steps ran; m_failures lists what is left
};

class CRemoverDlg : public CDialog {
 public:
  explicit CRemoverDlg(CWnd* parent = NULL);

  // ---- Application shell.
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  // Everything the program tells or asks the user while it works passes here:
  // a message box owned by the dialog. Returns the answer. Unattended, the
  // text goes to the log and the safe answer is given.
  // Texts are UTF-8, so that a name the code page cannot spell is shown whole.
  int AskUser(LPCSTR text, LPCSTR caption, UINT type);
  // The OS version and, from version 5, the user's name.
  void ReadSystemFacts();

  // ---- Installation location.
  // Also sets m_unreachedFolder.
  CWidePath FindInstallPath();
  void OnBrowse();
  // The first steps of Remove: a typed folder is tested and confirmed.
  // False when the user declined (the handler ends there).
  bool RecheckLocation();
  // Whether `folder` may become the install folder: a protected folder is
  // refused with a message; another is taken when it holds the product's
  // marker file or the user confirms it. A taken `folder` is made full.
  bool ConfirmLocation(CWidePath& folder);

  // ---- Removal.
  void OnOK() override;
  // Before step 1: the product's running programs are closed (the user is
  // asked first; unattended they are closed and logged, or with m_noClose
  // left running). False when the user chose to stop: nothing changed.
  bool CloseProductPrograms();
  // A product folder or file that `form` names in the report and that could
  // not be deleted now: what is left of it is deleted when Windows restarts
  // (m_removedAtRestart), or, when that cannot be arranged, it is reported.
  void ReportLeft(LPCSTR form, const CWidePath& path);
  bool CopyTree(const CWidePath& source, const CWidePath& destination);
  bool DeleteTree(CString& parent, const CString& name);
  bool ShellDeleteFolder(const CWidePath& path);
  // Step 1: copies the student data into a new folder in `parent` (the
  // user's desktop, or m_saveParent). False when it could not all be saved;
  // what this run made is then deleted again.
  bool SaveStudentData(const CWidePath& parent);
  // Deletes the folder through the shell when it may exist. False when it is
  // still there (the shell's message has been shown).
  bool DeleteFolderIfPresent(const CWidePath& path);
  // Step 3. An install folder that is a link goes as a link, and the folder
  // it leads to goes too when it passes the checks of a typed folder; else it
  // is reported.
  void DeleteInstallFolder(const CWidePath& folder);
  // Steps 4 and 5 of one pass; an empty folder is one the system cannot name.
  void RemoveShortcuts(const CWidePath& desktop, const CWidePath& startMenu);
  // With /allusers: steps 4 and 5 in every other user profile, at the places
  // this account's own desktop and Start Menu have in its profile.
  void RemoveShortcutsOfEveryProfile(const CWidePath& userDesktop, const CWidePath& userStartMenu);
  // Deletes the names of m_shortcuts at `location`, then its first
  // `programFolders` program folders, and reports what is left.
  void RemoveShortcutsAt(const CWidePath& location, int programFolders);
  // Step 6, with the removal's key holder.
  void RemoveRegistryEntries(CRegistryKey& key);
  // A step line: on the progress window, and in the log when unattended.
  void ShowStep(LPCSTR text);

  CStringArray m_shortcuts;
  CStringArray m_failures;  // entries in UTF-8, as all texts the user reads
  // Entries in the report's form whose every remaining piece Windows deletes
  // when it next starts.
  CStringArray m_removedAtRestart;
  CProgressDlg m_progress;
  int m_osMinor;
  int m_osMajor;
  CWidePath m_userName;
  OSVERSIONINFOA m_osvi;
  CWidePath m_installPath;
  // The location box's text from which m_installPath was taken at Remove, so
  // that the same text (a relative folder made full) counts as unchanged;
  // "" when m_installPath was not typed.
  CWidePath m_typedLocation;
  // The registry's install folder in UTF-8 as this Windows converts it, when
  // Windows lacks the wide call that would read it whole and the converted
  // name leads nowhere: it may still be there, so it is reported as left.
  CString m_unreachedFolder;
  CButton m_saveData;
  CStatic m_status;
  CEdit m_location;
  HICON m_hIcon;

  // ---- The unattended front end: with no window, these stand in for the
  // controls, and m_log for the person in front of them.
  CRemovalLog* m_log;         // set: unattended
  CWidePath m_givenLocation;  // the location box's text
  bool m_givenSave;           // the save box's tick
  CWidePath m_saveParent;     // where step 1 saves; "" = the user's desktop
  bool m_allUsers;            // steps 4 and 5 also in every user profile
  bool m_noClose;             // the product's running programs are left running
  // Seconds a pupil's notice gives before their Kelmora is asked to close in
  // their own session; 0 for none.
  DWORD m_closeWait;
  // What the last Remove did, for the exit code and the log.
  RemovalEnding m_ending;
  CString m_savedFolder;  // step 1's folder in UTF-8; "" when nothing was saved
  int m_filesCopied;      // by CopyTree since step 1 began

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnCommand(UINT id, UINT code) override;
};
