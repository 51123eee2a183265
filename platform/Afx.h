// The dialog framework, all of it.
#pragma once

#include "AfxDialog.h"
#include "AfxString.h"
#include "AfxStringArray.h"
#include "AfxWinApp.h"
#include "AfxWnd.h"
