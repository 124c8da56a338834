#pragma once
// The recipe: a plain-text record of the whole segment program and the liquid in the pump, saved
// to "Userdata/Recipe yyyy-mm-dd hh.mm.ss.txt" beside the program at every start of a run.

#include "base/DateTime.h"
#include "base/Dialogs.h"
#include "model/GasItem.h"

#include <string>
#include <vector>

namespace Program {

struct TRecipeInput {
    Base::TDateTime Now = 0.0;
    // The captions of the A, B and C boxes as they stand ("A-component: O2").
    std::string CaptionA;
    std::string CaptionB;
    std::string CaptionC;
    // The lines of the segment list, as the editor shows them.
    std::vector<std::string> SegmentLines;
    GasMixtures::TGasItem Fluid; // the pump's liquid
};

// The recipe text; every line ends with CR LF.
std::string Recipe(const TRecipeInput& input);

// "Recipe 2026-12-10 14.05.33.txt"
std::string RecipeFileName(Base::TDateTime now);

// Text in the operator's character set: UTF-8 stays as it is; for a single-byte set every
// character becomes its byte there, and a character the set lacks becomes "?".
std::string EncodeForCodeset(const std::string& utf8, const std::string& codeset);

// Saves `text` to "<programFolder>/Userdata/<RecipeFileName(now)>", making the missing folders and
// replacing a file of that name, in the character set of the format settings. When the folder or
// the file cannot be made the operator is told through `dialogs`. True when the start may go on.
bool SaveRecipe(const std::string& programFolder, Base::TDateTime now, const std::string& text,
                Base::TDialogs& dialogs);

} // namespace Program
