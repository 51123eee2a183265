// The fixed names of what Kelmora's installer left on the machine, besides the
// install folder: one list each, for the removal and the benchmark's floor.
#pragma once

// The Program Files folder of the product's fixed names. The 32-bit installer
// may also have used the one Windows names for 32-bit programs (see
// ProgramFilesPaths).
const char kFixedProgramFiles[] = "C:\\Program Files";

// The folder of the installer's caches, relative to a Program Files folder.
// Other products keep theirs there too.
const char kInstallerCachesParent[] = "InstallShield Installation Information";

// The installer's cached installations, relative to a Program Files folder,
// deleted in this order.
const char* const kInstallerCacheFolders[] = {
    "InstallShield Installation Information\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}",
    "InstallShield Installation Information\\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}",
};

// The product's registry key, whose sub-keys and install path value the
// removal deletes, and the system's Uninstall key, both under
// HKEY_LOCAL_MACHINE; with the report's names for what stays.
const char kProductKey[] = "Software\\Dravenhall\\Kelmora";
const char kProductKeyEntry[] = "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora";
const char kInstallPathValue[] = "InstallPath";
const char kInstallPathEntry[] =
    "Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, InstallPath";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The report has always spelt this key "Software" in its entries.
const char kUninstallEntryPrefix[] =
    "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The product's entries under the system's Uninstall key.
const char* const kUninstallEntries[] = {
    "{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}",
    "{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}",
};

// Desktop shortcuts, relative to a desktop folder.
const char* const kDesktopShortcuts[] = {
    "Kelmora.lnk",
    "Kelmora Student Selection.lnk",
    "Kelmora Vessik.lnk",
    "Kelmora Vessik Student Selection.lnk",
};

// Start Menu shortcuts, relative to a Start Menu folder.
const char* const kStartMenuShortcuts[] = {
    "Programs\\Kelmora\\Kelmora.lnk",
    "Programs\\Kelmora\\Kelmora Student Selection.lnk",
    "Programs\\Kelmora\\Uninstall.lnk",
    "Programs\\Kelmora Vessik\\Kelmora Vessik.lnk",
    "Programs\\Kelmora Vessik\\Kelmora Vessik Student Selection.lnk",
    "Programs\\Kelmora Vessik\\Uninstall.lnk",
};
