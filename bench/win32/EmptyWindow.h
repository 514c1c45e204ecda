// The caption of the empty window that the start-up benchmark measures plumeroll.exe against.
#pragma once

inline constexpr wchar_t kEmptyWindowCaption[] = L"Plumeroll bench: empty window";
