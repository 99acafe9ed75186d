#include "io/save_problem.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace vireta {

SaveProblem problemOfErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return SaveProblem::NotFound;
    case EISDIR:
    case EINVAL:
    case ENXIO:
    case ENODEV:
        return SaveProblem::NotRegular;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return SaveProblem::NoSpace;
    case ENAMETOOLONG:
        return SaveProblem::NameTooLong;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return SaveProblem::NoPermission;
    default:
        return SaveProblem::Other;
    }
}

SaveProblem problemOfUnreadMedium(int err) {
    if (err == EEXIST)
        return SaveProblem::SameNameInPackage;
    if (err == EFBIG)
        return SaveProblem::TooLargeToEmbed;
    return problemOfErrno(err);
}

const char* galicianReason(SaveProblem problem) {
    switch (problem) {
    case SaveProblem::NotFound:
        return "Non existe o arquivo ou o cartafol";
    case SaveProblem::NotRegular:
        return "Non é un arquivo normal";
    case SaveProblem::SameNameAsDocument:
        return "Ten o mesmo nome que o documento gardado";
    case SaveProblem::SameNameAsArchive:
        return "Ten o mesmo nome que o arquivo .tar";
    case SaveProblem::NoSpace:
        return "Non queda espazo no disco";
    case SaveProblem::NameTooLong:
        return "O nome é demasiado longo";
    case SaveProblem::NoPermission:
        return "Non ten permiso ou o arquivo está protexido contra escritura";
    case SaveProblem::SameNameInPackage:
        return "Xa hai no paquete outro arquivo co mesmo nome";
    case SaveProblem::TooLargeToEmbed:
        return "É demasiado grande para metelo na páxina";
    case SaveProblem::Other:
        break;
    }
    return "Erro ao ler ou escribir no disco";
}

std::string englishReason(SaveProblem problem, int err) {
    switch (problem) {
    case SaveProblem::NotFound:
        return "no such file or folder";
    case SaveProblem::NotRegular:
        return "not a regular file";
    case SaveProblem::SameNameAsDocument:
        return "it has the name of the document";
    case SaveProblem::SameNameAsArchive:
        return "it has the name of the archive";
    case SaveProblem::NoSpace:
        return "no space left on the disk";
    case SaveProblem::NameTooLong:
        return "the name is too long";
    case SaveProblem::NoPermission:
        return "permission denied or write-protected";
    case SaveProblem::SameNameInPackage:
        return "another file of that name is in the package already";
    case SaveProblem::TooLargeToEmbed:
        return "too large to embed in the page";
    case SaveProblem::Other:
        break;
    }
    return err != 0 ? std::strerror(err) : "input/output error";
}

SaveError::SaveError(std::string path, SaveProblem problem, int err)
    : std::runtime_error(path + ": " + englishReason(problem, err)), path_(std::move(path)),
      problem_(problem), error_(err) {}

std::string SaveError::userMessage() const { return "Non se puido gardar o arquivo :" + path_; }

} // namespace vireta
