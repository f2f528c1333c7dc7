#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace testing_support {

TempDir::TempDir()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/brakwen-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests take permissions away; give them back so everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(m_path, ignored);
}

void writeFile(const std::string &path, const std::string &content)
{
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!stream.flush())
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::string minimalPdf(int pages)
{
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>"};
    std::string kids;
    for (int page = 0; page < pages; ++page)
        kids += std::to_string(3 + page) + " 0 R ";
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) +
                      " >>");
    for (int page = 0; page < pages; ++page)
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] >>");
    return pdfFromObjects(objects);
}

std::string pdfFromObjects(const std::vector<std::string> &objects, const std::string &version)
{
    std::string pdf = "%PDF-" + version + "\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

bool exists(const std::string &path)
{
    struct stat status = {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::vector<std::string> listNames(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string patternBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(generator() & 0xff);
    return bytes;
}

std::string dosEps(const std::string &postScript, const std::string &preview,
                   std::uint32_t postScriptLength)
{
    std::string bytes = "\xC5\xD0\xD3\xC6";
    const auto size = [](std::size_t n) { return static_cast<std::uint32_t>(n); };
    for (const std::uint32_t field :
         {30u, postScriptLength != 0 ? postScriptLength : size(postScript.size()), 0u, 0u,
          size(30 + postScript.size()), size(preview.size())})
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>(field >> shift & 0xff);
    return bytes + "\xFF\xFF" + postScript + preview;
}

void writeScript(const std::string &path, const std::string &body)
{
    writeFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

std::string copyExecutable(const std::string &program, const TempDir &folder)
{
    const std::string copy = folder.file(program.substr(program.find_last_of('/') + 1));
    writeFile(copy, readFile(program));
    if (::chmod(copy.c_str(), 0755) != 0 || ::chmod(folder.path().c_str(), 0755) != 0)
        throw std::runtime_error("cannot make " + copy + " executable");
    return copy;
}

std::vector<std::string> preloading(const std::string &library, std::vector<std::string> settings)
{
    const char *asan = std::getenv("ASAN_OPTIONS");
    const std::string options = asan != nullptr ? std::string(asan) + ":" : std::string();
    settings.push_back("ASAN_OPTIONS=" + options + "verify_asan_link_order=0");
    settings.push_back("LD_PRELOAD=" + library);
    return settings;
}

ProgramRun runProgram(const std::vector<std::string> &argv,
                      const std::vector<std::string> &extraEnvironment,
                      const std::string &workingFolder)
{
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");

    std::vector<std::string> environment;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('=') + 1);
        const bool replaced =
            std::any_of(extraEnvironment.begin(), extraEnvironment.end(),
                        [&](const std::string &extra) { return extra.rfind(name, 0) == 0; });
        if (!replaced)
            environment.push_back(variable);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    auto pointers = [](std::vector<std::string> &strings) {
        std::vector<char *> result;
        for (std::string &s : strings)
            result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    };
    std::vector<std::string> arguments = argv;
    std::vector<char *> argvPointers = pointers(arguments);
    std::vector<char *> environmentPointers = pointers(environment);

    // The child's output files must be writable when the child runs as another user.
    ::chmod(capture.path().c_str(), 0777);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0666);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());

    ProgramRun run;
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argvPointers[0], &actions, nullptr, argvPointers.data(),
                                    environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + argv.front());
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

} // namespace testing_support
