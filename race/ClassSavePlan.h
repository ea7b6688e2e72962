// What OK of 名单 does to the files, planned as a list of steps before any is
// carried out, so that it is all or nothing: when one step fails, the steps
// done are undone in reverse, every file and photo is as it was, and the
// operator is told which step failed. Decided here without a window; the
// files are reached through PlanFiles (the system's in the program, a map
// in the tests).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class PlanFiles {
public:
    virtual ~PlanFiles() = default;
    virtual bool exists(const std::string& path) = 0;
    virtual bool read(const std::string& path, std::string* bytes) = 0;
    // Never over a file that is there.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // The whole file anew, made or replaced in one step.
    virtual bool write(const std::string& path, const std::string& bytes) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Why the last call that failed did, in the program's text.
    virtual std::string lastError() = 0;
};

struct PlanStep {
    enum class Kind { Rename, Write } kind;
    std::string from;   // Rename: the file's name now
    std::string path;   // Rename: its new name; Write: the file written
    std::string bytes;  // Write
    std::string what;   // what the file is, for the operator: 名单, 比赛名单, 照片
};

class ClassSavePlan {
public:
    // `folder` (the class's, ending in a backslash) holds the photos and the
    // parked ones; `backupFolder` (ending in a backslash) takes every photo
    // that another takes the place of, as <name>-<stamp>.jpg (-2, -3 ... when
    // that is taken); `stamp` is the time of the OK as fileStamp gives it.
    ClassSavePlan(PlanFiles& files, std::string folder, std::string backupFolder, std::string stamp);

    // A child's photo to another name (paths of the folder). Children may
    // have swapped names: every photo leaves its old name before any takes a
    // new one, parked under a name no file has (_photo,N.jpg: no child's name
    // holds a comma), so a parked photo never takes another's place.
    void movePhoto(const std::string& from, const std::string& to);
    // A photo chosen in the dialog (JPEG bytes) for that path, after the
    // moves; the photo there before (its own, or one moved there) goes to the
    // backup folder first.
    void newPhoto(const std::string& path, std::string jpeg);
    // A text file written whole (the class file, the roster), after every
    // photo, in the order given.
    void writeText(const std::string& path, std::string bytes, std::string what);
    // A file or folder to a new name as the very last step (the class's own
    // folder, renamed once everything in it is done).
    void renameLast(const std::string& from, const std::string& to, std::string what);

    // The steps, as carryOut would take them, given what exists now.
    std::vector<PlanStep> steps() const;

    struct Outcome {
        bool done = false;
        std::size_t failedStep = 0;  // when not done: the step that failed
        PlanStep failed;
        std::string error;           // PlanFiles::lastError() of that step
        bool restored = true;        // every step done before it was undone
    };
    // Every step in order; the first that fails stops it, and the steps done
    // are undone in reverse: a rename renamed back, a file written given its
    // bytes before (read just before it was written), or removed when it was
    // not there.
    Outcome carryOut();

private:
    struct Move {
        std::string from, to;
    };
    struct Photo {
        std::string path, jpeg;
    };
    struct Text {
        std::string path, bytes, what;
    };
    struct Rename {
        std::string from, to, what;
    };

    PlanFiles& files_;
    std::string folder_, backupFolder_, stamp_;
    std::vector<Move> moves_;
    std::vector<Photo> photos_;
    std::vector<Text> texts_;
    std::vector<Rename> lastRenames_;
};
