#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <ftw.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Case tables ---------------------------------------------------------------------------

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Expands the escapes of one line of section text.
std::string unescape(const std::string& line, const std::string& where) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            out += line[i];
            continue;
        }
        char e = i + 1 < line.size() ? line[i + 1] : '\0';
        if (e == '\\') {
            out += '\\';
            i += 1;
        } else if (e == 'x' && i + 3 < line.size() && hex_digit(line[i + 2]) >= 0 &&
                   hex_digit(line[i + 3]) >= 0) {
            out += static_cast<char>(hex_digit(line[i + 2]) * 16 + hex_digit(line[i + 3]));
            i += 3;
        } else if (e == '(') {
            // \(N)c repeats the character c, \(N:TEXT) repeats TEXT (no ')' in it).
            std::size_t close = line.find(')', i);
            if (close == std::string::npos) throw std::runtime_error(where + ": bad \\(N)");
            std::string inside = line.substr(i + 2, close - i - 2);
            std::size_t colon = inside.find(':');
            std::size_t n = std::stoul(inside.substr(0, colon));
            std::string text;
            if (colon != std::string::npos) {
                text = inside.substr(colon + 1);
                i = close;
            } else {
                if (close + 1 >= line.size()) throw std::runtime_error(where + ": bad \\(N)c");
                text = line.substr(close + 1, 1);
                i = close + 1;
            }
            for (std::size_t k = 0; k < n; ++k) out += text;
        } else {
            throw std::runtime_error(where + ": unknown escape");
        }
    }
    return out;
}

std::vector<std::string> split_words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool is_identifier(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

// Folders and processes -----------------------------------------------------------------

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    ::chmod(path, 0700);
    return ::remove(path);
}

} // namespace

std::vector<e2e_case> load_cases(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<e2e_case> cases;
    std::string* section = nullptr; // the text being gathered
    bool noeol = false;
    auto end_section = [&] {
        if (section && noeol && !section->empty() && section->back() == '\n') section->pop_back();
        section = nullptr;
    };
    // The blank line that separates two cases belongs to neither.
    bool blank = false;
    auto drop_separator = [&] {
        if (section && blank && !section->empty()) section->pop_back();
    };
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string where = path + ":" + std::to_string(number);
        if (line.rfind("=== ", 0) == 0) {
            if (!cases.empty() && !blank)
                throw std::runtime_error(where + ": a blank line must come before a case");
            drop_separator();
            end_section();
            std::size_t colon = line.find(':');
            e2e_case c;
            c.name = line.substr(4, colon == std::string::npos ? std::string::npos : colon - 4);
            c.what = colon == std::string::npos ? "" : line.substr(colon + 1);
            c.origin = where;
            if (!is_identifier(c.name)) throw std::runtime_error(where + ": bad case name");
            for (const e2e_case& other : cases) {
                if (other.name == c.name) throw std::runtime_error(where + ": duplicate name");
            }
            cases.push_back(c);
            continue;
        }
        if (line.rfind("--- ", 0) == 0) {
            end_section();
            if (cases.empty()) throw std::runtime_error(where + ": section before a case");
            e2e_case& c = cases.back();
            std::vector<std::string> words = split_words(line.substr(4));
            noeol = words.size() > 1 && words.back() == "noeol";
            const std::string& kind = words.at(0);
            if (kind == "file" || kind == "expect-file") {
                auto& list = kind == "file" ? c.files : c.expect_files;
                list.push_back({words.at(1), ""});
                section = &list.back().bytes;
            } else if (kind == "stdin") {
                section = &c.input;
            } else if (kind == "stdout") {
                section = &c.output;
            } else if (kind == "status") {
                c.status = std::stoi(words.at(1));
            } else if (kind == "args") {
                c.args.assign(words.begin() + 1, words.end());
            } else if (kind == "env") {
                c.env.push_back(words.at(1));
            } else {
                throw std::runtime_error(where + ": unknown section " + kind);
            }
            continue;
        }
        blank = line.empty();
        if (section) {
            *section += unescape(line, where);
            *section += '\n';
        } else if (!line.empty() && line[0] != '#') {
            throw std::runtime_error(where + ": text outside a section");
        }
    }
    drop_separator();
    end_section();
    return cases;
}

std::vector<e2e_case> load_tables(const std::string& dir) {
    std::vector<std::filesystem::path> tables;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == ".cases") tables.push_back(entry.path());
    }
    std::sort(tables.begin(), tables.end());
    std::vector<e2e_case> cases;
    for (const auto& table : tables) {
        for (e2e_case c : load_cases(table.string())) {
            c.name = table.stem().string() + "_" + c.name;
            cases.push_back(c);
        }
    }
    return cases;
}

e2e_result run_case(const e2e_case& c, const std::string& binary,
                    const std::vector<std::string>& extra_env, int timeout_s) {
    char tmpl[] = "/tmp/conscript-e2e-XXXXXX";
    const char* base = ::mkdtemp(tmpl);
    if (base == nullptr) throw std::runtime_error("mkdtemp failed");
    std::string dir = base;
    for (const case_file& f : c.files) write_file(dir + "/" + f.path, f.bytes);
    // Standard input, output and error are files outside the case's own folder.
    std::string io = dir + ".io";
    ::mkdir(io.c_str(), 0700);
    write_file(io + "/in", c.input);

    std::vector<std::string> args{binary};
    if (!c.args.empty())
        args.insert(args.end(), c.args.begin(), c.args.end());
    else if (!c.files.empty())
        args.push_back(c.files.front().path);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    env.insert(env.end(), c.env.begin(), c.env.end());

    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open((io + "/in").c_str(), O_RDONLY);
        int out = ::open((io + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open((io + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0) ::_exit(125);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execve(binary.c_str(), argv.data(), envp.data());
        ::_exit(126);
    }
    e2e_result r;
    int wstatus = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_s);
    while (::waitpid(pid, &wstatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &wstatus, 0);
            r.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    r.output = read_file(io + "/out");
    r.errors = read_file(io + "/err");
    for (const case_file& f : c.expect_files)
        r.found_files.push_back({f.path, read_file(dir + "/" + f.path)});
    ::nftw(dir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    ::nftw(io.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    return r;
}

std::string visible(const std::string& bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        if (b == '\n')
            out += "\\n\n";
        else if (b == '\\')
            out += "\\\\";
        else if (b < 0x20 || b >= 0x7f) {
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else
            out += static_cast<char>(b);
    }
    return out;
}

void check_case(const e2e_case& c, const std::string& binary,
                const std::vector<std::string>& extra_env) {
    SCOPED_TRACE(c.origin + ": " + c.what);
    e2e_result r = run_case(c, binary, extra_env);
    ASSERT_FALSE(r.timed_out) << "the run did not end";
    EXPECT_EQ(visible(r.output), visible(c.output)) << "standard output";
    EXPECT_EQ(r.status, c.status) << "exit status; standard error:\n" << r.errors;
    for (std::size_t i = 0; i < c.expect_files.size(); ++i) {
        EXPECT_EQ(visible(r.found_files[i].bytes), visible(c.expect_files[i].bytes))
            << "file " << c.expect_files[i].path;
    }
}

void PrintTo(const e2e_case& c, std::ostream* os) {
    *os << c.origin;
}
