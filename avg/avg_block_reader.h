// Reads the block that follows a block builtin ("STAND" ... "endstand", "TEXT" ... "endtext") in
// the calling worker's script, through the token cursor from the run position of the worker's top
// exec-stack element, which stands after the builtin's statement.
#pragma once

#include <string>
#include <vector>

class GxMoaWorker;

struct AvgScriptBlock {
    std::vector<std::u16string> m_Texts;   // the block's words, strings and text lines, in order
    // Set when a token the block cannot take stopped the reading: its description.
    bool m_Failed = false;
    std::u16string m_BadToken;
};

// Collects the texts of kinds 2, 5 and 8, steps over kinds 14 and 17 and ends at the builtin-name
// token that is exactly `endKeyword`, leaving the worker at token 0 of the next line; running off
// the script's last line also ends it. Any other token stops the reading there, with the worker's
// position on that token. Every step moves the position forward, so damaged scripts end too.
// Without a worker, a running block or a script, the block is empty.
AvgScriptBlock ReadAvgScriptBlock(GxMoaWorker* worker, const std::u16string& endKeyword);
