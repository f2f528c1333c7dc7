#include "trash/trash.h"

#include "posix/eintr.h"
#include "posix/folder.h"
#include "posix/path.h"
#include "posix/rename.h"
#include "posix/write_all.h"
#include "trash/trash_info.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace trash {

namespace {

constexpr std::string_view infoSuffix = ".trashinfo";
// Past this many entries of one name, the trash is taken to refuse it.
constexpr int lastVariant = 100000;

// The entry's name in the trash: cut where it would leave no room for ".trashinfo" and the
// variant's number (never inside a UTF-8 sequence), the number added from the second on.
std::string nameInTrash(const std::string &entry, int variant)
{
    const std::string number = variant > 1 ? "." + std::to_string(variant) : std::string();
    std::size_t room = NAME_MAX - infoSuffix.size() - number.size();
    if (entry.size() <= room)
        return entry + number;
    while (room > 0 && (static_cast<unsigned char>(entry[room]) & 0xC0) == 0x80)
        --room;
    return entry.substr(0, room) + number;
}

} // namespace

std::optional<Trash> Trash::forFolder(int folderFd)
{
    std::optional<TrashLocation> location = locateTrash(folderFd);
    if (!location)
        return std::nullopt;
    return Trash(std::move(*location));
}

const std::string &Trash::now()
{
    const std::time_t second = std::time(nullptr);
    if (second != m_dateSecond) {
        m_dateSecond = second;
        m_date = deletionDate(second);
    }
    return m_date;
}

std::optional<Trash::Reservation> Trash::reserve(const std::string &entry)
{
    return reserveFrom(entry, 1);
}

std::optional<Trash::Reservation> Trash::reserveFrom(const std::string &entry, int variant)
{
    const std::string text = trashInfo(m_location.encodedFolder + percentEncoded(entry), now());
    for (; variant <= lastVariant; ++variant) {
        std::string name = nameInTrash(entry, variant);
        const std::string info = name + std::string(infoSuffix);
        posix::UniqueFd file(posix::retryOnInterrupt([&] {
            return ::openat(m_location.info.get(), info.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        }));
        if (!file.valid()) {
            if (errno == EEXIST)
                continue;
            return std::nullopt;
        }
        int error = posix::writeAll(file.get(), text.data(), text.size());
        if (file.close() != 0 && error == 0 && errno != EINTR)
            error = errno;
        if (error != 0) {
            ::unlinkat(m_location.info.get(), info.c_str(), 0);
            errno = error;
            return std::nullopt;
        }
        return Reservation{entry, std::move(name), variant};
    }
    errno = EEXIST;
    return std::nullopt;
}

bool Trash::move(int folderFd, Reservation &reservation)
{
    for (;;) {
        if (posix::renameNoReplace(folderFd, reservation.entry.c_str(), m_location.files.get(),
                                   reservation.name.c_str()))
            return true;
        const int error = errno;
        release(reservation);
        if (error != EEXIST) {
            errno = error;
            return false;
        }
        // files/NAME without its .trashinfo (left by another program): the next free name.
        std::optional<Reservation> next = reserveFrom(reservation.entry, reservation.variant + 1);
        if (!next)
            return false;
        reservation = std::move(*next);
    }
}

void Trash::release(const Reservation &reservation)
{
    const std::string info = reservation.name + std::string(infoSuffix);
    ::unlinkat(m_location.info.get(), info.c_str(), 0);
}

bool Trash::put(int folderFd, const std::string &entry)
{
    std::optional<Reservation> reservation = reserve(entry);
    return reservation && move(folderFd, *reservation);
}

bool moveToTrash(const std::string &path)
{
    const std::string name = posix::fileName(path);
    if (name.empty() || name == "." || name == "..") {
        errno = EINVAL;
        return false;
    }
    const std::optional<posix::Folder> folder = posix::Folder::open(posix::parentFolder(path));
    if (!folder)
        return false;
    std::optional<Trash> trash = Trash::forFolder(folder->fd());
    return trash && trash->put(folder->fd(), name);
}

} // namespace trash
