#include "preview/eps_facts.h"

#include "eps/dos_eps_header.h"
#include "eps/dsc_comments.h"
#include "eps/eps_error.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace preview {

EpsFacts readEpsFacts(const QByteArray &path)
{
    EpsFacts facts;
    const posix::UniqueFd fd(posix::retryOnInterrupt(
        [&] { return ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); }));
    struct stat status = {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return facts;
    facts.readable = true;
    facts.fileSize = status.st_size;
    facts.modified = QDateTime::fromSecsSinceEpoch(status.st_mtim.tv_sec)
                         .addMSecs(status.st_mtim.tv_nsec / 1'000'000);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    facts.postScriptLength = status.st_size;
    try {
        if (const auto dos = eps::readDosEpsHeader(fd.get(), 0, size, "aperçu")) {
            facts.postScriptOffset = static_cast<qint64>(dos->postScriptOffset);
            facts.postScriptLength = static_cast<qint64>(dos->postScriptLength);
            facts.tiffOffset = static_cast<qint64>(dos->tiffOffset);
            facts.tiffLength = static_cast<qint64>(dos->tiffLength);
        }
        const auto begin = static_cast<std::uint64_t>(facts.postScriptOffset);
        facts.box = eps::readPartFacts(fd.get(), begin,
                                       begin + static_cast<std::uint64_t>(facts.postScriptLength))
                        .box;
    } catch (const eps::EpsError &) {
        // An incoherent DOS header: rendered as a whole file, Ghostscript will say what it finds.
        facts.postScriptOffset = 0;
        facts.postScriptLength = status.st_size;
    }
    return facts;
}

} // namespace preview
