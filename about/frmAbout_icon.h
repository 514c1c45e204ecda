// The About window's icon, as the resource script and the layout table name it.
#pragma once

#define IDI_FRMABOUT 102
