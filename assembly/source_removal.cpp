#include "assembly/source_removal.h"

#include "assembly/failure_cause.h"
#include "trash/trash.h"

#include <cerrno>
#include <optional>
#include <unordered_set>

namespace assembly {

namespace {

std::vector<const SourceStamp *> eachOnce(const std::vector<SourceStamp> &stamps)
{
    std::unordered_set<std::string> seen;
    std::vector<const SourceStamp *> distinct;
    distinct.reserve(stamps.size());
    for (const SourceStamp &stamp : stamps)
        if (seen.insert(stamp.name).second)
            distinct.push_back(&stamp);
    return distinct;
}

const char *const changedReason = "il a changé depuis sa lecture";

std::string because(const char *what, int error)
{
    return std::string(what) + " (" + reasonForErrno(error) + ")";
}

class Removal
{
public:
    Removal(const posix::Folder &folder, JobReport &report) : m_folder(folder), m_report(report) {}

    // False when the source is no longer the one read: it stays, or is gone, and is reported.
    bool stillAsRead(const SourceStamp &stamp)
    {
        switch (stamp.stateNow(m_folder.fd())) {
        case SourceStamp::State::Unchanged:
            return true;
        case SourceStamp::State::Gone:
            m_report.goneSources.push_back(stamp.path);
            return false;
        case SourceStamp::State::Changed:
            break;
        }
        keep(stamp, changedReason);
        return false;
    }

    void deleteForEver(const SourceStamp &stamp)
    {
        if (m_folder.remove(stamp.name))
            ++m_report.sourcesDeleted;
        else if (errno == ENOENT)
            m_report.goneSources.push_back(stamp.path);
        else
            keep(stamp, because("sa suppression a été refusée", errno));
    }

    void keep(const SourceStamp &stamp, std::string reason)
    {
        m_report.keptSources.push_back({stamp.path, std::move(reason)});
    }

private:
    const posix::Folder &m_folder;
    JobReport &m_report;
};

struct TrashPlan
{
    const SourceStamp *stamp;
    std::optional<trash::Trash::Reservation> reservation;
    std::string refusal; // why no trash takes it, when there is no reservation
};

void toTrash(const posix::Folder &folder, const std::vector<const SourceStamp *> &sources,
             JobWindow &window, Removal &removal, JobReport &report)
{
    std::optional<trash::Trash> bin = trash::Trash::forFolder(folder.fd());
    const std::string noTrash =
        bin ? std::string() : because("aucune corbeille ne peut le prendre", errno);
    std::vector<TrashPlan> plans;
    plans.reserve(sources.size());
    int refused = 0;
    for (const SourceStamp *stamp : sources) {
        TrashPlan plan{stamp, std::nullopt, noTrash};
        if (bin) {
            plan.reservation = bin->reserve(stamp->name);
            if (!plan.reservation)
                plan.refusal = because("la corbeille refuse de le prendre", errno);
        }
        refused += plan.reservation ? 0 : 1;
        plans.push_back(std::move(plan));
    }
    const bool forEver = refused > 0 && window.confirmPermanentDeletion(refused);

    for (TrashPlan &plan : plans) {
        const SourceStamp &stamp = *plan.stamp;
        if (!removal.stillAsRead(stamp)) {
            if (plan.reservation)
                bin->release(*plan.reservation);
        } else if (!plan.reservation) {
            if (forEver)
                removal.deleteForEver(stamp);
            else
                removal.keep(stamp, plan.refusal);
        } else if (bin->move(folder.fd(), *plan.reservation)) {
            ++report.sourcesTrashed;
        } else if (errno == ENOENT) {
            report.goneSources.push_back(stamp.path);
        } else {
            removal.keep(stamp, because("sa mise à la corbeille a été refusée", errno));
        }
    }
}

} // namespace

void removeSources(const posix::Folder &folder, const std::vector<SourceStamp> &stamps,
                   SourceDeletion deletion, JobWindow &window, JobReport &report)
{
    Removal removal(folder, report);
    const std::vector<const SourceStamp *> sources = eachOnce(stamps);
    if (deletion == SourceDeletion::ToTrash) {
        toTrash(folder, sources, window, removal, report);
        return;
    }
    for (const SourceStamp *stamp : sources)
        if (removal.stillAsRead(*stamp))
            removal.deleteForEver(*stamp);
}

} // namespace assembly
