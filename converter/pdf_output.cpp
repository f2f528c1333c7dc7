#include "converter/pdf_output.h"

#include "converter/conversion_failure.h"
#include "posix/eintr.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {

namespace {

std::string folderOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool unnamedUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

} // namespace

PdfOutput::PdfOutput(std::string pdfPath, LeftoverGuard &guard)
    : m_pdfPath(std::move(pdfPath)), m_folder(folderOf(m_pdfPath)), m_guard(guard)
{
    const std::string cannotWrite = "écriture impossible dans le dossier : " + m_folder;
    // Created with 0666: the umask gives the PDF the permissions any new file of the user gets.
    const int unnamed = posix::retryOnInterrupt(
        [&] { return ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666); });
    if (unnamed >= 0) {
        m_fd = posix::UniqueFd(unnamed);
        return;
    }
    if (!unnamedUnsupported(errno))
        throw ConversionFailure(cannotWrite);
    for (int attempt = 0; attempt < 100 && !m_fd.valid(); ++attempt) {
        const std::string candidate = hiddenName();
        m_guard.watch(candidate);
        m_fd = posix::UniqueFd(posix::retryOnInterrupt([&] {
            return ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                          0666);
        }));
        if (m_fd.valid())
            m_temporaryPath = candidate;
        else if (errno != EEXIST)
            throw ConversionFailure(cannotWrite);
    }
    if (!m_fd.valid())
        throw ConversionFailure(cannotWrite);
}

PdfOutput::~PdfOutput()
{
    m_fd.reset();
    if (!m_temporaryPath.empty())
        ::unlink(m_temporaryPath.c_str());
}

std::string PdfOutput::hiddenName()
{
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, 15);
    std::string name = "/.ps2pdf-";
    for (int i = 0; i < 12; ++i)
        name += digits[pick(device)];
    return m_folder + name;
}

void PdfOutput::commit()
{
    const std::string cannotPlace = "le PDF ne peut pas être mis en place : " + m_pdfPath;
    if (m_temporaryPath.empty()) {
        // rename() needs a name to move: the finished file gets a hidden one first.
        const std::string source = "/proc/self/fd/" + std::to_string(m_fd.get());
        for (int attempt = 0; attempt < 100 && m_temporaryPath.empty(); ++attempt) {
            const std::string candidate = hiddenName();
            m_guard.watch(candidate);
            if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, candidate.c_str(),
                         AT_SYMLINK_FOLLOW) == 0)
                m_temporaryPath = candidate;
            else if (errno != EEXIST)
                throw ConversionFailure(cannotPlace);
        }
        if (m_temporaryPath.empty())
            throw ConversionFailure(cannotPlace);
    }
    if (m_fd.close() != 0 && errno != EINTR)
        throw ConversionFailure(cannotPlace);
    if (::rename(m_temporaryPath.c_str(), m_pdfPath.c_str()) != 0)
        throw ConversionFailure(cannotPlace);
    m_temporaryPath.clear();
}

} // namespace converter
