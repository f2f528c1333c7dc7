#pragma once

#include <string>

namespace assembly {

// What the assembly job drives in the window that started it. The job runs on the caller's
// thread and calls these in the order the user must see them; the main window implements them
// with its controls, tests implement them with a recorder.
class JobWindow
{
public:
    virtual ~JobWindow() = default;

    virtual void setBusyCursor(bool busy) = 0;
    virtual void setOkButtonVisible(bool visible) = 0;
    virtual void setQuitButtonVisible(bool visible) = 0;

    virtual void setProgressRange(int minimum, int maximum) = 0;
    // Called once per source, before it is copied; the window repaints here.
    virtual void setProgressPosition(int position) = 0;
    virtual void setProgressVisible(bool visible) = 0;

    // Modal box captioned "Erreur" with the stop icon and one OK button; returns once closed.
    // cause, when known, says in French which file and why, for a line of its own below.
    virtual void showErrorBox(const std::string &message, const std::string &cause) = 0;

    // Asked before anything starts when the sources are to be deleted and the result's name
    // (given) is taken: the file there may be all that is left of other sources. True replaces
    // it; false ends the job at once, nothing touched.
    virtual bool confirmReplacement(const std::string &fileName) = 0;

    // Called as the converter finishes each file: done of total converted, finished being the
    // one just converted (its place in the list, from 0; -1 when the converter does not say).
    virtual void conversionProgress(int done, int total, int finished)
    {
        static_cast<void>(done);
        static_cast<void>(total);
        static_cast<void>(finished);
    }

    // Called every few hundredths of a second while the converter runs, which can take a while
    // on large inputs; the window repaints here so it never looks frozen. Input still waits.
    virtual void waitingForConverter() {}

    // Asked between sources and while the converter runs; true stops the job there, its
    // temporary files removed, the older result and every source kept. The command line answers
    // a signal this way; the window never stops a job.
    virtual bool stopRequested() { return false; }

    // Called once the result is in place, as the sources start to go: from here on the job
    // finishes (deletion is quick) and stopRequested() is no longer asked.
    virtual void deletingSources() {}

    // Asked once, before any source is moved or deleted, when the sources are to go to the trash
    // and no trash can take `count` of them (none on their file system, or one that refuses new
    // entries). True deletes those for ever; false keeps them, each reported with why. The others
    // go to the trash whatever the answer.
    virtual bool confirmPermanentDeletion(int count)
    {
        static_cast<void>(count);
        return false;
    }

    virtual void clearLists() = 0;
    virtual void applyControlRules() = 0;
};

} // namespace assembly
