// Failure kinds of the picture subsystem and of the program.
//
// Every failure is a C++ exception derived from Exception, which carries the
// text the user will see. Each kind is its own class so that callers and
// tests can tell them apart; the texts are the program's own (French for the
// framework and the JPEG module, English for the GIF module).
#pragma once

#include <exception>
#include <string>

namespace tremalu {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    const std::string& message() const noexcept { return Message; }

private:
    std::string Message;
};

// Fills "%s" and "%d" placeholders from left to right; the message formats of
// the program only ever use these two.
std::string FormatMessage(const std::string& format, std::initializer_list<std::string> args);

#define TREMALU_FAILURE_KIND(Name, Base)                                 \
    class Name : public Base {                                           \
    public:                                                              \
        explicit Name(std::string message) : Base(std::move(message)) {} \
    }

TREMALU_FAILURE_KIND(EInvalidGraphic, Exception);
TREMALU_FAILURE_KIND(EInvalidGraphicOperation, Exception);
TREMALU_FAILURE_KIND(EInvalidOperation, Exception);
TREMALU_FAILURE_KIND(EConvertError, Exception);
TREMALU_FAILURE_KIND(EOutOfResources, Exception);
TREMALU_FAILURE_KIND(EOutOfMemory, Exception);
TREMALU_FAILURE_KIND(EStreamError, Exception);
TREMALU_FAILURE_KIND(EFOpenError, EStreamError);
TREMALU_FAILURE_KIND(EFCreateError, EStreamError);
TREMALU_FAILURE_KIND(EReadError, EStreamError);
TREMALU_FAILURE_KIND(EWriteError, EStreamError);
TREMALU_FAILURE_KIND(EJPEG, EInvalidGraphic);
TREMALU_FAILURE_KIND(GIFException, EInvalidGraphic);
TREMALU_FAILURE_KIND(EZeroDivide, Exception);
TREMALU_FAILURE_KIND(EInvalidOp, Exception);

#undef TREMALU_FAILURE_KIND

// The silent abort: raised by a progress listener to cancel a decode or an
// encode. It is never shown to the user.
class EAbort : public Exception {
public:
    EAbort() : Exception("Opération abandonnée") {}
};

// The texts of the failures, kept in one place so that tests and callers
// refer to the same bytes.
namespace texts {
inline constexpr const char* InvalidBitmap = "Image bitmap incorrecte";
inline constexpr const char* UnknownExtension = "Extension de fichier graphique inconnue (.%s)";
inline constexpr const char* CannotOpenFile = "Impossible d'ouvrir le fichier %s";
inline constexpr const char* CannotCreateFile = "Impossible de créer le fichier %s";
inline constexpr const char* StreamRead = "Erreur de lecture du flux";
inline constexpr const char* StreamWrite = "Erreur d'écriture dans le flux";
inline constexpr const char* MemoryStreamGrowth = "Plus de mémoire lors de l'expansion du flux mémoire";
inline constexpr const char* OutOfMemory = "Mémoire insuffisante";
inline constexpr const char* OutOfResources = "Plus de ressources système";
inline constexpr const char* AssignError = "Impossible d'affecter %s à %s";
inline constexpr const char* OleGraphicOperation = "Opération incorrecte sur TOleGraphic";
inline constexpr const char* RowOutOfRange = "Indice ligne hors limites";
inline constexpr const char* InvalidPixelFormat = "Format de pixel incorrect";
inline constexpr const char* CanvasCannotDraw = "Le canevas ne permet pas de dessiner";
inline constexpr const char* ImageNeedsBitmap = "Ne peut modifier une image que si elle contient un bitmap";
inline constexpr const char* JpegSizeChange = "Impossible de modifier la taille d'une image JPEG";
inline constexpr const char* JpegError = "Erreur JPEG #%d";
inline constexpr const char* InvalidIcon = "Image icône incorrecte";
inline constexpr const char* IconSizeChange = "Impossible de modifier la taille d'une icône";
inline constexpr const char* InvalidMetafile = "MetaFichier incorrect";
inline constexpr const char* ZeroDivide = "Division par zéro en virgule flottante";
inline constexpr const char* InvalidFloatOp = "Opération en virgule flottante incorrecte";
inline constexpr const char* MpoNoIndex = "Fichier MPO incorrect : index des images (MPF) absent ou illisible";
inline constexpr const char* MpoBadEntry =
    "Fichier MPO incorrect : une image de l'index sort du fichier, en chevauche une autre ou a une taille absurde";
inline constexpr const char* MpoTooFewImages = "Le fichier MPO contient moins de deux images : il en faut deux pour un anaglyphe";

// The GIF module speaks English: its failures and its warnings.
namespace gif {
inline constexpr const char* InvalidSignature = "Invalid GIF signature";
inline constexpr const char* PrematureEnd = "Premature end of data";
inline constexpr const char* UnknownExtension = "Unknown extension type";
inline constexpr const char* InvalidIntroducer = "Invalid extension introducer";
inline constexpr const char* ExtensionMismatch = "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* AppExtensionSize = "Unsupported Application Extension block size";
inline constexpr const char* InvalidData = "Invalid GIF data";
inline constexpr const char* EmptyColorTable = "Color table is empty";
inline constexpr const char* WidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* HeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* NoColorTable = "No global or local color table defined";
inline constexpr const char* DibMemory = "Failed to allocate memory for GIF DIB";
// Warnings: reported to the picture's warning listener, never raised.
inline constexpr const char* UnknownBlock = "Unknown GIF block type";
inline constexpr const char* InvalidTrailer = "Invalid Image trailer";
inline constexpr const char* ExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* BitBufferUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* InvalidColorIndex = "Invalid color index";
// Progress messages.
inline constexpr const char* Loading = "Loading...";
inline constexpr const char* Rendering = "Rendering...";
}  // namespace gif
}  // namespace texts

// The text that a message box shows for a failure message: a "." is added
// when the last character sorts after "." (a letter, a digit, or any byte of
// a multi-byte character); a message ending in ".", "!" or ")" is left alone.
std::string MessageBoxText(const std::string& message);

}  // namespace tremalu
