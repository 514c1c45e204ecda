// The main window's icon, as the resource script and the layout table name it.
#pragma once

#define IDI_FRMIE 101
