// Opening a script file at a line in a text editor outside the engine: either the command
// template an author put into "TextEditorCommand" of "setting.ini" (BuildEditorCommandLine,
// then LaunchEditorProcess), or, when that is empty, the editor associated with ".txt" files
// (OpenInTextEditor). The editor is started and never waited for.
#pragma once

#include <cstdint>
#include <string>

// The template with every "%line" replaced by the line, then every "%pos" by "0", then every
// "%file" by the file as given (the template supplies any quotes).
std::u16string BuildEditorCommandLine(const std::u16string& command, const std::u16string& file, std::int32_t line);
// Starts the command line; both handles are closed at once. True when the process was created.
bool LaunchEditorProcess(const std::u16string& commandLine);
// Starts the ".txt" editor on the file at the line; false (nothing started) when the file does
// not exist, else whether the process was created.
bool OpenInTextEditor(const std::u16string& file, std::int32_t line);
// The full path of the program associated with ".txt" files, or empty.
std::u16string FindTextFileEditor();
// The arguments that make one of the known editors (by its file name, any case) jump to the
// line; any other editor gets the file alone, in quotes.
std::u16string BuildKnownEditorArguments(const std::u16string& file, const std::u16string& editorName,
                                         std::int32_t line);
