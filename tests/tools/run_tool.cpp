#include "tests/tools/run_tool.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace ravelda::test {

namespace fs = std::filesystem;

namespace {

fs::path tempFile(const char* tag) {
    std::string tmpl = (fs::temp_directory_path() / "ravelda-tool-").string() + tag + "-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    ::close(fd);
    return tmpl;
}

} // namespace

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

ToolResult runTool(const std::vector<std::string>& args, const fs::path& aliasFile,
                   const std::string& stdinText) {
    fs::path in = tempFile("in"), out = tempFile("out"), err = tempFile("err");
    writeText(in, stdinText);
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int fi = ::open(in.c_str(), O_RDONLY), fo = ::open(out.c_str(), O_WRONLY | O_TRUNC),
            fe = ::open(err.c_str(), O_WRONLY | O_TRUNC);
        if (fi < 0 || fo < 0 || fe < 0) ::_exit(126);
        ::dup2(fi, 0);
        ::dup2(fo, 1);
        ::dup2(fe, 2);
        if (aliasFile.empty())
            ::unsetenv("RAVELDA_ALIAS_FILE");
        else
            ::setenv("RAVELDA_ALIAS_FILE", aliasFile.c_str(), 1);
        std::vector<char*> argv;
        std::string tool = RAVELDA_DB_TOOL;
        argv.push_back(tool.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    ToolResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readText(out);
    r.err = readText(err);
    fs::remove(in);
    fs::remove(out);
    fs::remove(err);
    return r;
}

} // namespace ravelda::test
