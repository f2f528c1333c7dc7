#include "job_summary.h"

#include "posix/path.h"

#include <QFile>
#include <QStringList>

namespace JobSummary {

namespace {

QString nameOf(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(posix::fileName(path)));
}

// "1 page", "2 pages": the noun, in the singular for one.
QString counted(long count, const char *singular, const char *plural)
{
    return QStringLiteral("%1 %2").arg(count).arg(
        QString::fromUtf8(count == 1 ? singular : plural));
}

QString sources(const assembly::JobInputs &inputs, const assembly::JobReport &report)
{
    if (!inputs.deletesSources())
        return QStringLiteral("fichiers sources conservés");
    QStringList said;
    const auto say = [&said](std::size_t count, const char *one, const char *many) {
        if (count > 0)
            said << counted(static_cast<long>(count), one, many);
    };
    say(static_cast<std::size_t>(report.sourcesTrashed), "fichier source mis à la corbeille",
        "fichiers sources mis à la corbeille");
    say(static_cast<std::size_t>(report.sourcesDeleted), "fichier source supprimé définitivement",
        "fichiers sources supprimés définitivement");
    say(report.keptSources.size(), "fichier source conservé", "fichiers sources conservés");
    say(report.goneSources.size(), "fichier source déjà supprimé par ailleurs",
        "fichiers sources déjà supprimés par ailleurs");
    return said.join(QStringLiteral(", "));
}

} // namespace

QString lineFor(const assembly::JobInputs &inputs, const MainWindowJob::Outcome &outcome)
{
    if (outcome.stopped)
        return QStringLiteral("Assemblage arrêté : aucun fichier n'a été supprimé.");
    const assembly::JobReport &report = outcome.report;
    if (outcome.failed || report.declined || report.errorBoxShown)
        return {};
    const auto files = static_cast<long>(inputs.selectedFiles.size());
    const QString made =
        report.converted ? QStringLiteral("« %1 » : %2")
                               .arg(nameOf(report.pdfPath), counted(report.pages, "page", "pages"))
                         : QStringLiteral("« %1 » : %2")
                               .arg(nameOf(report.epsPath),
                                    counted(files, "fichier assemblé", "fichiers assemblés"));
    return made + QStringLiteral(" ; ") + sources(inputs, report) + QLatin1Char('.');
}

} // namespace JobSummary
