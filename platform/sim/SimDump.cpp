// The machine's whole state as readable text, printed when a test fails.
#include <cstdio>
#include <sstream>

#include "SimState.h"

namespace sim {
namespace {

std::string AttributeLetters(DWORD attributes) {
  std::string letters;
  const std::pair<DWORD, char> bits[] = {{FILE_ATTRIBUTE_READONLY, 'R'},
                                         {FILE_ATTRIBUTE_HIDDEN, 'H'},
                                         {FILE_ATTRIBUTE_SYSTEM, 'S'},
                                         {FILE_ATTRIBUTE_ARCHIVE, 'A'},
                                         {FILE_ATTRIBUTE_REPARSE_POINT, 'J'}};
  for (const auto& bit : bits)
    if (attributes & bit.first) letters += bit.second;
  return letters.empty() ? "" : " [" + letters + "]";
}

// Owner and ACEs, where they are not Administrators' alone.
std::string SecurityText(const Security& security) {
  std::string text;
  if (!security.owner.empty()) text += " owner " + security.owner;
  for (const Ace& ace : security.aces)
    text += std::string(ace.type == ACCESS_DENIED_ACE_TYPE ? " deny " : " allow ") + ace.account +
            ":" + Hex(ace.mask) + "/" + Hex(ace.flags);
  if (security.protectedDacl) text += " protected";
  return text;
}

void DumpFiles(std::ostream& out, const FileNode& node, const std::string& indent) {
  for (const auto& entry : node.children) {
    const FileNode& child = *entry.second;
    out << indent << child.name << (child.IsFolder() ? "\\" : "")
        << AttributeLetters(child.attributes);
    if (child.IsJunction())
      out << (child.symbolic ? " symbolic link -> " : " -> ") << child.junctionTarget;
    if (!child.shortName.empty() && child.shortName != child.name)
      out << " (" << child.shortName << ")";
    if (!child.IsFolder()) out << " " << child.content.size() << " bytes";
    if (child.heldOpen) out << " (held open)";
    if (child.heldSharing) out << " (held open sharing " << child.heldSharing << ")";
    if (child.deletePending) out << " (being deleted)";
    out << SecurityText(child.security) << "\n";
    if (!child.IsJunction()) DumpFiles(out, child, indent + "  ");
  }
}

// Stored bytes as text, with NULs and other control bytes shown as \xNN.
std::string Printable(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 32) {
      text += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      text += escaped;
    }
  }
  return text;
}

void DumpKeys(std::ostream& out, const KeyNode& key, const std::string& indent) {
  for (const auto& value : key.values)
    out << indent << "\"" << value.second.name << "\" type " << value.second.type << " = \""
        << Printable(value.second.data) << "\"\n";
  for (const auto& sub : key.subKeys) {
    out << indent << sub.second->name << (sub.second->denied ? " (denied)" : "")
        << (sub.second->linkTarget.empty() ? "" : " link -> " + sub.second->linkTarget)
        << SecurityText(sub.second->security) << "\n";
    DumpKeys(out, *sub.second, indent + "  ");
  }
}

void DumpWindow(std::ostream& out, const Machine& machine, const Window& window) {
  out << "  " << WindowName(window) << " " << window.className << " \"" << window.text << "\""
      << " style " << Hex(window.style) << (window.visible ? " visible" : " hidden")
      << (window.modal ? " modal" : "") << (window.iconic ? " iconic" : "");
  if (window.ended) out << " ended " << window.endResult;
  if (!window.menuItems.empty()) {
    out << " menu";
    for (const std::string& item : window.menuItems) out << " " << item;
  }
  out << "\n";
  for (HWND child : window.children) {
    const Window& control = *machine.state().windows.at(child);
    out << "    " << control.id << " " << control.className << " \"" << control.text << "\""
        << (control.check ? " checked" : "") << (control.visible ? "" : " hidden") << "\n";
  }
}

}  // namespace

std::string Machine::Dump() const {
  const State& s = *state_;
  std::ostringstream out;
  out << "== Files\n";
  DumpFiles(out, s.root, "  ");
  out << "Current directory: " << s.currentDirectory << "\n";
  for (const std::string& path : s.recycled) out << "Recycled: " << path << "\n";
  out << "Open handles: " << s.finds.size() << " finds, " << s.files.size() << " files, "
      << s.keys.size() << " keys\n";

  out << "== Registry\n  HKLM\n";
  DumpKeys(out, s.hklm, "    ");

  out << "== System\n";
  for (const auto& folder : s.specialFolders)
    out << "  CSIDL " << Hex(static_cast<DWORD>(folder.first)) << " \"" << folder.second << "\"\n";
  out << "  Version " << s.majorVersion << "." << s.minorVersion << ", user \"" << s.userName
      << "\", Windows " << s.windowsDirectory << ", system " << s.systemDirectory << ", COM depth "
      << s.comDepth << ", item id lists " << s.itemIdLists.size() << "\n";
  out << "  Command line " << s.commandLine << "\n";
  for (const auto& mutex : s.mutexOpenCount)
    out << "  Mutex \"" << mutex.first << "\", " << mutex.second << " handles open\n";
  out << "  Temp " << s.tempDirectory
      << (s.wow64Directory.empty() ? ", 32-bit Windows" : ", WOW64, " + s.wow64Directory) << "\n";
  for (const auto& variable : s.environment)
    out << "  %" << variable.first << "% = " << variable.second << "\n";

  out << "  Program " << s.modulePath << ", tick count " << s.tickCount << "\n";
  for (const Process& process : s.processes) {
    out << "  Process " << Hex(process.id) << " " << process.image
        << (process.running ? " running" : " ended by " + process.endedBy)
        << (process.hasWindow ? "" : ", no window")
        << (process.closesOnRequest ? "" : ", ignores WM_CLOSE")
        << (process.denied ? ", another account's" : "") << "\n";
    for (const std::string& held : process.holds) out << "    holds " << held << "\n";
  }
  for (const std::string& path : PendingDeletes()) out << "  Deleted at restart: " << path << "\n";

  out << "== Live windows\n";
  for (const auto& entry : s.windows)
    if (IsDialog(*entry.second) && !entry.second->destroyed) DumpWindow(out, *this, *entry.second);

  out << "== Message boxes\n";
  for (const MessageBoxRecord& box : messageBoxes)
    out << "  " << box.caption << " | " << box.text << " -> " << box.answer << "\n";

  if (s.outputRedirected) out << "== Standard output\n" << standardOutput;
  out << "== Events\n";
  for (const std::string& event : events) out << "  " << event << "\n";
  if (!s.faults.empty()) out << "Armed faults: " << s.faults.size() << "\n";
  return out.str();
}

}  // namespace sim
