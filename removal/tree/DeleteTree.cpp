#include "app/RemoverDlg.h"
#include "removal/tree/DeleteEntryByEntry.h"

namespace {

// Each file on the item line as it goes; the first entry that stays is told
// in a message, and ends the delete.
class CToldDelete : public CDeleteWatch {
 public:
  explicit CToldDelete(CRemoverDlg& remover) : m_remover(remover) {}
  void Deleting(const CWidePath& file) override {
    CString shown;
    ToAnsi(file.Unextended().Text(), shown);
    m_remover.m_progress.ShowItemNow(shown);
  }
  void Stays(const CWidePath& entry, bool folder) override {
    m_remover.AskUser((folder ? "Could not delete directory: " : "Could not delete file: ") +
                          entry.Unextended().Utf8(),
                      "Error", MB_OK);
  }

 private:
  CRemoverDlg& m_remover;
};

}  // namespace

bool CRemoverDlg::DeleteTree(CHeldEntry& folder, const CWidePath& path) {
  CToldDelete told(*this);
  return folder.IsFolder() && DeleteHeldTree(folder, path, &told, NULL);
}
