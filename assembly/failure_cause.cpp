#include "assembly/failure_cause.h"

#include "assembly/io_error.h"

#include <cerrno>
#include <cstring>

namespace assembly {

std::string reasonForErrno(int error)
{
    switch (error) {
    case ENOENT:
        return "fichier ou dossier introuvable";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case EISDIR:
        return "est un dossier";
    case EACCES:
        return "accès refusé";
    case EPERM:
        return "opération non permise";
    case EROFS:
        return "disque en lecture seule";
    case ENOSPC:
        return "disque plein";
    case EDQUOT:
        return "quota de disque dépassé";
    case ENAMETOOLONG:
        return "le chemin est trop long";
    case ELOOP:
        return "trop de liens symboliques";
    case EMFILE:
        return "trop de fichiers ouverts par le programme";
    case ENFILE:
        return "trop de fichiers ouverts sur le système";
    case EIO:
        return "erreur de lecture ou d'écriture du disque";
    case EFBIG:
    case EOVERFLOW:
        return "fichier trop volumineux";
    case EBUSY:
    case ETXTBSY:
        return "fichier occupé";
    case EEXIST:
        return "le nom est déjà pris";
    case ENOTEMPTY:
        return "le dossier n'est pas vide";
    case EXDEV:
        return "déplacement impossible d'un disque à l'autre";
    case ENOMEM:
        return "mémoire insuffisante";
    case ENXIO:
    case ENODEV:
        return "périphérique absent";
    case ESTALE:
        return "fichier réseau périmé";
    case EOPNOTSUPP:
        return "opération que ce système de fichiers ne permet pas";
    case EINVAL:
        return "opération impossible ici";
    default: {
        // Names such as EXDEV are the same in every language, and searchable.
        std::string reason = "erreur système " + std::to_string(error);
        if (const char *name = ::strerrorname_np(error))
            reason += std::string(" (") + name + ")";
        return reason;
    }
    }
}

FailureCause causeOf(const std::exception &error)
{
    const auto *io = dynamic_cast<const EInOutError *>(&error);
    if (io == nullptr || io->error() == 0)
        return {};
    // "Nom de fichier incorrect" says no more than that the path leads nowhere: the folder is
    // what is missing, not the file.
    if (io->error() == ENOENT)
        return {io->path(), io->code() == 3 ? "répertoire introuvable" : "absent du répertoire"};
    return {io->path(), reasonForErrno(io->error())};
}

std::string causeLine(const FailureCause &cause)
{
    if (cause.empty())
        return {};
    if (cause.file.empty())
        return cause.reason;
    return cause.file + " : " + cause.reason;
}

} // namespace assembly
