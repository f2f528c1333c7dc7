#pragma once

// What the job and the converter agree on, in a library both link, apart from the job itself.
//
// What the job tells the converter about the file it hands over: where each source starts and
// ends, and each source's name, so that the converter never has to guess the boundaries from the
// content. The converter finds it, when given, on the descriptor named by the environment
// variable BRAKWEN_PARTS_FD; it reports the pages it made on BRAKWEN_REPORT_FD.
//
// Text form: the line "brakwen-parts 1", then one record per source in assembly order:
// "<size> <name length> <name bytes>\n". Names are the file system's own bytes, any bytes.

#include "posix/pending_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace assembly {

inline constexpr const char *partsVariable = "BRAKWEN_PARTS_FD";
inline constexpr const char *reportVariable = "BRAKWEN_REPORT_FD";
// A pipe on which the converter writes "<done> <total> <file>" as each file is converted, <file>
// being the number of the one just converted, from 1 (files end in any order). A converter may
// leave <file> out; files are then taken to end in order.
inline constexpr const char *progressVariable = "BRAKWEN_PROGRESS_FD";
// The job's folder, open: the EPS and the PDF are named in it, however deep it lies.
inline constexpr const char *folderVariable = "BRAKWEN_FOLDER_FD";
// Seconds one file may take to convert before the conversion fails.
inline constexpr const char *timeLimitVariable = "BRAKWEN_TIME_LIMIT";
inline constexpr unsigned defaultTimeLimitSeconds = 60;

struct ManifestPart
{
    std::uint64_t size = 0;
    std::string name;
};

std::string formatManifest(const std::vector<ManifestPart> &parts);
// nullopt when the text is not a manifest of this form.
std::optional<std::vector<ManifestPart>> parseManifest(std::string_view text);

// The converter's report: "pages <count>\n" when the PDF is in place, "failure <why>\n" when it
// is not, <why> being the converter's own French sentence (names of files included).
std::string formatPageReport(long pages);
std::string formatFailureReport(std::string_view why);

struct ConverterReport
{
    std::optional<long> pages;
    std::string failure;
};
ConverterReport parseConverterReport(std::string_view text);

// The hidden names the converter writes its PDF under until it is complete; the job removes those
// a converter killed outright left behind.
posix::HiddenName converterPdfNaming();

} // namespace assembly
