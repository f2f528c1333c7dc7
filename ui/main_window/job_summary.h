// The words of the line a job leaves in the window: the result's name and size in pages, and
// what became of the sources; or that the user stopped it. Nothing for a job that ended in a box
// of its own (a failure), or that did nothing (a replacement declined).
#pragma once

#include "main_window_job.h"

#include <QString>

namespace JobSummary {

QString lineFor(const assembly::JobInputs &inputs, const MainWindowJob::Outcome &outcome);

} // namespace JobSummary
