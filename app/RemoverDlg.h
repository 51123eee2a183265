// The main dialog: owns every piece of state of the program. Its operations
// live beside the subsystem they belong to (location/, removal/).
#pragma once

#include "app/RemovalLog.h"
#include "platform/Afx.h"
#include "removal/ProgressDlg.h"
#include "removal/WidePath.h"
#include "removal/registry/RegistryKey.h"
#include "resource.h"

class CHeldEntry;

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
  // a message box owned by the dialog, and the log at `level`. Returns the
  // answer. Unattended the safe answer is given instead of a box.
  // Texts are UTF-8, so that a name the code page cannot spell is shown whole.
  int AskUser(LPCSTR text, LPCSTR caption, UINT type, LogLevel level = kInfo);
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
  // "Removed Folder: X" in the log: what the run took, for the admin.
  void LogRemoved(LPCSTR form, const CString& what);
  // Copies `source` into the folder this run made and holds (`destination`,
  // at `destinationPath`).
  bool CopyTree(const CWidePath& source, const CHeldEntry& destination,
                const CWidePath& destinationPath);
  // Logs what the copy could not take, and why; returns false.
  bool CopyFailed(const CWidePath& path);
  // Deletes the folder held (at `path`) entry by entry, each file's path on
  // the progress window's item line, and stops with a message at the first
  // entry that stays. True when it is gone or going.
  bool DeleteTree(CHeldEntry& folder, const CWidePath& path);
  bool ShellDeleteFolder(const CWidePath& path);
  // The wait for other programs in the log, a failed delete of `path` on the
  // dialog's screen; returns `deleted`.
  bool TellDelete(const CWidePath& path, bool deleted, DWORD waited);
  // Step 1: copies the student data into a new folder in `parent` (the
  // user's desktop, or m_saveParent). False when it could not all be saved;
  // what this run made is then deleted again.
  bool SaveStudentData(const CWidePath& parent);
  // Deletes the folder through the shell when it may exist. False when it is
  // still there (the shell's message has been shown).
  bool DeleteFolderIfPresent(const CWidePath& path);
  // Step 3. An install folder that is a link goes as a link, and the folder
  // it leads to goes too when the user named the link or only trusted
  // accounts could have made it, and it passes the checks of a typed folder;
  // else it is reported.
  void DeleteInstallFolder(const CWidePath& folder);
  // Steps 4 and 5 of one pass; an empty folder is one the system cannot name.
  // Their folders are walked down from `profile` where it is given.
  void RemoveShortcuts(const CWidePath& desktop, const CWidePath& startMenu,
                       const CWidePath& profile = CWidePath());
  // With /allusers: steps 4 and 5 in every other user profile, at the places
  // this account's own desktop and Start Menu have in its profile.
  void RemoveShortcutsOfEveryProfile(const CWidePath& userDesktop, const CWidePath& userStartMenu);
  // Deletes the names of m_shortcuts at `location`, then its first
  // `programFolders` program folders, and reports what is left; walked down
  // on held handles from its first `top` characters, opened by that path.
  void RemoveShortcutsAt(const CWidePath& location, int top, int programFolders);
  // Step 6, with the removal's key holder. What it deletes is first written
  // to a registry backup (m_registryBackup); where that fails, the entries
  // stay (the dialog asks first) and are reported.
  void RemoveRegistryEntries(CRegistryKey& key, const CWidePath& userDesktop);
  // m_backupFile, or a new name in the saved data's folder, else in
  // m_backupFolder or on `userDesktop`; "" when there is no folder.
  CWidePath RegistryBackupFile(const CWidePath& userDesktop) const;
  // A step line: on the progress window, and in the log when unattended.
  void ShowStep(LPCSTR text);
  // The progress window goes and the dialog takes clicks again.
  void EndRun();

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
  // The registry's install folder in UTF-8 when it could not be reached: on
  // a drive that is not a present fixed one, or as this Windows converts it
  // where it lacks the wide call that would read it whole and the converted
  // name leads nowhere. It may still be there, so it is reported as left and
  // its record kept.
  CString m_unreachedFolder;
  // It was not taken as others than administrators may change its record.
  bool m_recordDistrusted;
  // Step 3 left the install folder for the administrator: its record stays,
  // so that a later run finds it.
  bool m_installFolderLeft;
  CButton m_saveData;
  CStatic m_status;
  CEdit m_location;
  HICON m_hIcon;

  CRemovalLog* m_log;  // where the run is logged; NULL: nowhere
  // ---- The unattended front end: with no window, these stand in for the
  // controls, and the log for the person in front of them.
  bool m_quiet;
  CWidePath m_givenLocation;  // the location box's text
  bool m_givenSave;           // the save box's tick
  CWidePath m_saveParent;     // where step 1 saves; "" = the user's desktop
  bool m_allUsers;            // steps 4 and 5 also in every user profile
  bool m_noClose;             // the product's running programs are left running
  bool m_defer;               // while one of them runs, nothing is changed
  // Seconds a pupil's notice gives before their Kelmora is asked to close in
  // their own session; 0 for none.
  DWORD m_closeWait;
  // What the last Remove did, for the exit code and the log.
  RemovalEnding m_ending;
  CString m_savedFolder;     // step 1's folder in UTF-8; "" when nothing was saved
  CHeldEntry m_savedHeld;    // that folder, held from its making until step 6
  CWidePath m_backupFile;    // /regbackup: the registry backup's file
  CWidePath m_backupFolder;  // where it goes when no data was saved; "" = the user's desktop
  CString m_registryBackup;  // the file step 6 wrote, in UTF-8; "" when none
  int m_filesCopied;         // by CopyTree since step 1 began

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnCommand(UINT id, UINT code) override;
};
