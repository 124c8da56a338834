#include "program/Recipe.h"

#include "base/FormatSettings.h"
#include "base/Text.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iconv.h>

namespace Program {

namespace {

void AddLine(std::string& text, const std::string& line) {
    text += line;
    text += Base::CRLF;
}

std::string FolderMessage(const std::string& folder) {
    return "Could not create folder " + folder + "\r\n\r\n" + "The recipe will not be saved." + "\r\n\r\n" +
           "Windows may prevent programs creating folders in certain locations on the computer." + "\r\n" +
           "Try running at anopther location" + "\r\n" +
           "Check ti file or folder is not locked or used by another process" + "\r\n" +
           "Try running the software with administrator rights";
}

bool IsUtf8(std::string codeset) {
    for (char& c : codeset) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return codeset == "UTF-8" || codeset == "UTF8";
}

// The length in bytes of the UTF-8 character that starts with `lead`.
std::size_t Utf8CharLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

} // namespace

std::string Recipe(const TRecipeInput& input) {
    std::string text;
    AddLine(text, "Description of step program and fluid composition");
    AddLine(text, "Saved: " + Base::FormatDateTime("yyyy-mm-dd hh:mm:ss", input.Now));
    AddLine(text, "Inputs: ");
    AddLine(text, "  " + input.CaptionA);
    AddLine(text, "  " + input.CaptionB);
    AddLine(text, "  " + input.CaptionC);
    AddLine(text, "Segments in µg: ");
    for (const std::string& line : input.SegmentLines) {
        AddLine(text, "  " + line);
    }
    AddLine(text, "");
    text += input.Fluid.FluidMixtureAsString(input.Now);
    return text;
}

std::string RecipeFileName(Base::TDateTime now) {
    return "Recipe " + Base::FormatDateTime("yyyy-mm-dd hh.mm.ss", now) + ".txt";
}

std::string EncodeForCodeset(const std::string& utf8, const std::string& codeset) {
    if (IsUtf8(codeset)) {
        return utf8;
    }
    iconv_t converter = iconv_open(codeset.c_str(), "UTF-8");
    // iconv_open reports failure as the pointer value (iconv_t)-1.
    if (reinterpret_cast<std::intptr_t>(converter) == -1) {
        return Base::Utf8ToLatin1(utf8); // an unknown set: the usual Western one
    }
    std::string result;
    std::size_t at = 0;
    while (at < utf8.size()) {
        // One character at a time, so one the set lacks becomes "?" and the rest goes on.
        const std::size_t length =
            std::min(Utf8CharLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
        std::string character = utf8.substr(at, length);
        char out[8];
        char* in = character.data();
        std::size_t inLeft = character.size();
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            result += '?';
        } else {
            result.append(out, static_cast<std::size_t>(outPtr - out));
        }
        at += length;
    }
    iconv_close(converter);
    return result;
}

bool SaveRecipe(const std::string& programFolder, Base::TDateTime now, const std::string& text,
                Base::TDialogs& dialogs) {
    const std::filesystem::path folder = std::filesystem::path(programFolder) / "Userdata";
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code || !std::filesystem::is_directory(folder, code)) {
        dialogs.ShowMessage(FolderMessage(folder.string()));
        return false;
    }
    const std::string path = (folder / RecipeFileName(now)).string();
    const std::string bytes = EncodeForCodeset(text, Base::FormatSettings().Codeset);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        const std::string reason = std::strerror(errno);
        dialogs.ShowMessage("Cannot create file \"" + path + "\". " + reason);
        return false;
    }
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        const std::string reason = std::strerror(errno);
        // A full disk took part of it: a cut recipe would pass for the record of a run that never
        // started.
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        dialogs.ShowMessage("Cannot create file \"" + path + "\". " + reason);
        return false;
    }
    return true;
}

} // namespace Program
