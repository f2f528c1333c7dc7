#pragma once

// The I/O error a failing file operation raises. It carries a system code in the numbering the
// messages use (2 file not found, 3 path not found, 4 too many open files, 5 access denied,
// 112 disk full, ...), mapped from errno by systemCodeFromErrno(), and the errno itself, which
// tells the cause apart where one code stands for several (failure_cause.h).

#include <stdexcept>
#include <string>

namespace assembly {

class EInOutError : public std::runtime_error
{
public:
    // `error` is the errno behind the code, 0 when there is none.
    EInOutError(int code, std::string path, int error = 0);

    // errno as the operation on path reported it; the path decides between codes 2 and 3.
    static EInOutError fromErrno(int error, const std::string &path);

    int code() const { return m_code; }
    const std::string &path() const { return m_path; }
    int error() const { return m_error; }

    // "Fichier introuvable", "Nom de fichier incorrect", ..., "Erreur E/S <code>".
    static std::string messageFor(int code);

private:
    int m_code;
    std::string m_path;
    int m_error;
};

// errno -> system code:
//   ENOENT                     2 when the parent folder of path exists, 3 otherwise
//   ENOTDIR                    3
//   EMFILE, ENFILE             4
//   EACCES, EPERM, EROFS       5
//   EISDIR                     5   (opening a folder as a file is refused access)
//   ETXTBSY, EBUSY             32  (sharing violation)
//   EEXIST                     80
//   EINVAL                     87
//   ENOSPC, EDQUOT             112 (disk full)
//   ENAMETOOLONG               206 (file name too long)
//   EFBIG                      223 (file too large)
//   EIO                        1117 (device I/O error)
//   ELOOP                      1921 (link cannot be resolved)
//   anything else              10000 + errno, so it can never be taken for one of the above
int systemCodeFromErrno(int error, const std::string &path);

} // namespace assembly
