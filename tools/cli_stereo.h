// The stereo commands of tremalu-cli: compose with its options, and lot.
#pragma once

#include "stereo/stereo_compose.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tremalu {

// A command line's options and the operands left once they are taken out.
struct TStereoArguments {
    TStereoOptions Options;
    bool SideBySide = false;
    std::vector<std::string> Operands;
};

// Options anywhere among the arguments, "--name value" or "--name=value";
// "--" ends them. None for an unknown option, a missing or bad value, or a
// method the glasses do not allow (the reason, if there is one worth giving,
// goes to `reason`).
std::optional<TStereoArguments> ParseStereoArguments(const std::vector<std::string>& args, std::string& reason);

// compose GAUCHE DROITE SORTIE, or compose FICHIER SORTIE for a stereo file
// or with --cote-a-cote. Returns false when the operands do not fit (a usage
// error); raises the failure otherwise.
bool ComposeStereo(const TStereoArguments& arguments, std::ostream& err);

// Why a batch is refused before anything is read or written (one of its
// compositions would read a file that another one writes), as the line to
// show; empty when it may run.
std::string RefusedBatchText(const TStereoArguments& arguments);

// lot DOSSIER_SORTIE FICHIER...: returns the exit code (0, or 1 when any
// composition failed); false-y usage is checked by the caller. The progress
// line is drawn only when err is a terminal.
int RunBatch(const TStereoArguments& arguments, std::ostream& err, bool errIsTerminal);

// Names the batch tool can write (.bmp and .jpg, as the program saves),
// checked before anything is read: Exception(NothingSavedText) otherwise.
void CheckOutputName(const std::string& fileName);

// The text for the failure being handled (to be called inside a catch of
// std::exception): the program's message box text of one of its own
// failures, "Mémoire insuffisante." for a memory failure, any other standard
// failure's own text.
std::string CurrentFailureText();

}  // namespace tremalu
