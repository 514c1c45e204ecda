// The main window's layout table.
#pragma once

#include "platform/Layout.h"

namespace plumeroll {

extern const FormLayout kfrmIELayout;

// Outer heights of the main window, in twips.
inline constexpr int kCollapsedHeight = 2600;
inline constexpr int kExpandedHeight = 5000;

}  // namespace plumeroll
