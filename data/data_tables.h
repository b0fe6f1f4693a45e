// The process-wide instances of the nine data tables (two of DBCGMode: the pictures and their
// placements, from the same file), their start-up load and the split of the picture names.
#pragma once

#include "data/db_avgchar.h"
#include "data/db_bgmmode.h"
#include "data/db_cgmode.h"
#include "data/db_keymap.h"
#include "data/db_rpmode.h"
#include "data/db_systemvoice.h"
#include "data/db_uilayout.h"
#include "data/db_uimodule.h"
#include "data/db_voicevolume.h"

DBKeyMap& GetDBKeyMap();
DBAvgChar& GetDBAvgChar();
DBBGMMode& GetDBBGMMode();
DBCGMode& GetDBCGMode();            // the picture table: every gallery reader uses this one
DBCGMode& GetDBCGModePlacement();   // the placement table: only the picture viewer reads it
DBRPMode& GetDBRPMode();
DBUIModule& GetDBUIModule();
DBUILayout& GetDBUILayout();
DBVoiceVolume& GetDBVoiceVolume();
DBSystemVoice& GetDBSystemVoice();

// Loads the ten instances from "data/" in start-up order (the key map only when its file
// exists), not looking at the results.
void LoadDataTables();
// Splits every non-empty FileName element of the picture table at "|" into three parts: the
// picture table keeps the first, the same element of the placement table gets the second, "|"
// and the third.
void SplitCGFileNames();
// Every instance blank again, as at process start (for tests).
void ResetDataTables();
