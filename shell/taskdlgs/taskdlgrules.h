// The window-free rules of the task dialogs: what their OK and their fields
// make of the text a user typed. The dialogs call these; tests call them natively.
#pragma once

#include <cstdint>

#include "framework/fwstring.h"

// ---- Change File Attributes ----

// The nine checks in the order owner, group, public, each read, write, execute.
constexpr int kChmodChecks = 9;
// Their weights in the three-digit mode number (owner read 400 ... public execute 1).
extern const int kChmodWeights[kChmodChecks];

// The manual field read as a mode: up to three decimal digits, each keeping
// its low three bits (758 gives 750); any other text (longer, signed, not a
// number) gives 0, so no digit can leak into the next one.
int ChmodModeFromText(const char* text);
// A mode number (as the caller keeps it) with each decimal digit cut to its low
// three bits; negative or past 999: 0.
int ChmodNormalise(int mode);
void ChmodToChecks(int mode, bool checks[kChmodChecks]);
int ChmodFromChecks(const bool checks[kChmodChecks]);

// ---- Record Server Directory Structure and Manual Get ----

enum class RecordDirRefusal { None, NoSaveTarget, NoFileName };

// OK's rules over the two texts (mode 1 record, 0 manual get): both trimmed;
// an empty save target is refused; in mode 1 an empty remote text is "/"; in
// mode 0 an empty one or "/" alone is refused, else it starts with "/" and
// loses a trailing "/".
RecordDirRefusal ApplyRecordDirRules(int mode, CString& saveTarget, CString& remoteText);
// The box text of a refusal.
const char* RecordDirRefusalText(int mode, RecordDirRefusal refusal);

// ---- Search For File ----

// OK's rules: both texts trimmed, an empty start folder "/", "?" behind it when
// matchCase (the search task takes it off again), empty types "*.*".
void ApplySearchFileRules(CString& startFolder, CString& types, bool matchCase);
