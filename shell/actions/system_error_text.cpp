#include "system_error_text.h"

#include <cerrno>

namespace shell::actions {

QString systemErrorText(int error)
{
    switch (error) {
    case EACCES:
        return QStringLiteral("permission refusée");
    case EPERM:
        return QStringLiteral("opération non permise");
    case ENOENT:
        return QStringLiteral("fichier ou dossier introuvable");
    case EEXIST:
        return QStringLiteral("le nom est déjà pris");
    case ENOSPC:
        return QStringLiteral("plus de place sur le disque");
    case EDQUOT:
        return QStringLiteral("quota de disque dépassé");
    case EROFS:
        return QStringLiteral("disque en lecture seule");
    case EIO:
        return QStringLiteral("erreur d'entrée-sortie");
    case ENAMETOOLONG:
        return QStringLiteral("nom trop long");
    case ENOTDIR:
        return QStringLiteral("ce n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("c'est un dossier");
    case ENOTEMPTY:
        return QStringLiteral("le dossier n'est pas vide");
    case EXDEV:
        return QStringLiteral("déplacement impossible d'un disque à l'autre");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("trop de fichiers ouverts");
    case ELOOP:
        return QStringLiteral("trop de liens symboliques en chaîne");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("fichier occupé");
    case EFBIG:
        return QStringLiteral("fichier trop volumineux");
    case ENOMEM:
        return QStringLiteral("mémoire insuffisante");
    case EINVAL:
        return QStringLiteral("opération impossible ici");
    default:
        return QStringLiteral("erreur système %1").arg(error);
    }
}

} // namespace shell::actions
