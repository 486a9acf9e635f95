#pragma once

#include "ProgramVersion.h"

// The start-up state step: reads the configuration, sets the editing flags,
// the vocabulary counts, the title and the default paper, and builds the
// untitled catalog holding only that paper. Answers ReadConfiguration's result;
// the remaining steps run even when it failed.
bool InitializeAppState();

// The steps after the configuration: flags, counts, title, default catalog.
// The command-line companion reads its configuration its own way, then takes
// these, so that it reads and writes catalogs exactly as the editor does.
void InitializeEditingState();

inline constexpr const char* kProgramVersion = QUANDREL_VERSION_TEXT;
