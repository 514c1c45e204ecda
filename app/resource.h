// Resource identifiers, shared by the resource script and the windows' layout tables.
#pragma once

#define IDI_FRMIE 101
#define IDI_FRMABOUT 102
