#include "app/AboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, NULL) {}

// The about box shows only its template: nothing to bind.
void CAboutDlg::DoDataExchange(CDataExchange*) {}
