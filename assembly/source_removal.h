#pragma once

// The job's last step: the sources go, as the job was asked, once the result is safely in
// place. Each goes only if it is still the file that was read, unchanged; one deleted by someone
// else meanwhile is reported as gone. To the trash, every .trashinfo is written before any source
// moves, so that the window is asked once, before anything is gone, whether the sources no trash
// takes may be deleted for ever.

#include "assembly/assembly_job.h"
#include "assembly/job_inputs.h"
#include "assembly/job_window.h"
#include "assembly/source_file.h"
#include "posix/folder.h"

#include <vector>

namespace assembly {

// stamps are in list order and may name a file twice; it is handled once.
void removeSources(const posix::Folder &folder, const std::vector<SourceStamp> &stamps,
                   SourceDeletion deletion, JobWindow &window, JobReport &report);

} // namespace assembly
