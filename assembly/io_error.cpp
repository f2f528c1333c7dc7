#include "assembly/io_error.h"

#include "assembly/file_system.h"

#include <cerrno>
#include <sys/stat.h>

namespace assembly {

namespace {

bool parentFolderExists(const std::string &path)
{
    struct stat status = {};
    const std::string parent = parentFolder(path);
    return ::stat(parent.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

EInOutError::EInOutError(int code, std::string path, int error)
    : std::runtime_error(messageFor(code)), m_code(code), m_path(std::move(path)), m_error(error)
{}

EInOutError EInOutError::fromErrno(int error, const std::string &path)
{
    return EInOutError(systemCodeFromErrno(error, path), path, error);
}

std::string EInOutError::messageFor(int code)
{
    switch (code) {
    case 2:
        return "Fichier introuvable";
    case 3:
        return "Nom de fichier incorrect";
    case 4:
        return "Trop de fichiers ouverts";
    case 5:
        return "Accès au fichier refusé";
    default:
        return "Erreur E/S " + std::to_string(code);
    }
}

int systemCodeFromErrno(int error, const std::string &path)
{
    switch (error) {
    case ENOENT:
        return parentFolderExists(path) ? 2 : 3;
    case ENOTDIR:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return 5;
    case ETXTBSY:
    case EBUSY:
        return 32;
    case EEXIST:
        return 80;
    case EINVAL:
        return 87;
    case ENOSPC:
    case EDQUOT:
        return 112;
    case ENAMETOOLONG:
        return 206;
    case EFBIG:
        return 223;
    case EIO:
        return 1117;
    case ELOOP:
        return 1921;
    default:
        return 10000 + error;
    }
}

} // namespace assembly
