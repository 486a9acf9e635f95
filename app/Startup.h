#pragma once

#include "ProgramVersion.h"

// The start-up state step: reads the configuration, sets the editing flags,
// the vocabulary counts, the title and the default paper, and builds the
// untitled catalog holding only that paper. Answers ReadConfiguration's result;
// the remaining steps run even when it failed.
bool InitializeAppState();

inline constexpr const char* kProgramVersion = QUANDREL_VERSION_TEXT;
