// The version both programs show in their about box and carry in their version resource.
// Plain #defines only: resource scripts include this file too.
#pragma once

#define PROGRAM_VERSION "1.0.0"
#define PROGRAM_VERSION_DATE "8 December 2026"
#define PROGRAM_VERSION_BINARY 1, 0, 0, 0
