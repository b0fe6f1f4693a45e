// The input bindings and system-voice switches that the game start-up makes from the data tables
// and the player options, and that the configuration screen makes again.
#pragma once

class GxUserConfig;

// Clears every key and axis binding and the options' key-code table, then, for each key-map row
// and each of its non-empty "KeyCodeStr" texts, stores the text's code at [ID][column] and binds
// it to the row's ID in the row's group; last, axis 0 follows device 2's bound axis and device 2
// takes the pad setting, with its state cleared.
void BindKeysFromKeyMap(GxUserConfig& config);
// The same, but binds the non-zero codes already in the key-code table.
void RebindKeysFromUserConfig(GxUserConfig& config);
// Switch i is on when i is not above the voice-volume table's row count and both
// "SystemVoiceExist" and "SystemVoiceEnabled" of row i are set.
void ResetCharacterVoiceFlags(GxUserConfig& config);
