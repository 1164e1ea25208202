// Where one run keeps its files. With the diagnostic log off, everything lives
// in a private folder made for the run (mode 0700) and is gone when the run
// ends, also on a cancel. With the log on, the work files take their fixed
// names under the fixed folder and stay for the administrator; logged runs
// hold a lock so that they never interleave.
#pragma once

#include <memory>
#include <string>

// The folder of the fixed names: TICKETPRESS_TMPDIR, else "/tmp".
std::string fixedNameFolder();

// True when the log switch (any file system object named qrl_log) exists
// in folder.
bool logSwitchPresent(const std::string& folder);

class WorkArea {
 public:
  // Makes the private folder under $TMPDIR (else /tmp) and, when
  // logToDisk, takes the lock of logged runs in fixedFolder. On failure
  // returns null and says why in error.
  static std::unique_ptr<WorkArea> create(bool logToDisk, const std::string& fixedFolder,
                                          std::string& error);
  ~WorkArea();
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;

  // The private file that receives the child filter's PDF.
  const std::string& spoolPath() const { return spool; }
  // The work files: the job's PDF, the ticket and the merged PDF. With the
  // log off the PDF work file is the spool file itself.
  const std::string& pdfPath() const { return pdf; }
  const std::string& ticketPath() const { return ticket; }
  const std::string& mergedPath() const { return merged; }

  // The path of a file called name in the folder of the work files.
  std::string pathFor(const std::string& name) const { return workFolder + "/" + name; }

  // Creates path empty for writing, replacing whatever was there and never
  // following a symlink. Returns the descriptor, or -1 with errno set.
  int createWorkFile(const std::string& path);

  // The end of the run's use of the work files: removes them unless the log
  // keeps them. Descriptors still open go on reading removed files.
  void removeWorkFiles();

 private:
  WorkArea() = default;

  bool keepWorkFiles = false;
  int lockFd = -1;
  std::string privateFolder, workFolder, spool, pdf, ticket, merged;
};
