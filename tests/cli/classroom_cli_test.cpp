// vireta-clase as a person runs it: its arguments, its three lines and its end.
#include "cli_fixture.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>

namespace {

class ClassroomCli : public CliFixture {
protected:
    Outcome runClase(const std::string& args) {
        const std::string cmd = std::string("cd '") + dir_ + "' && '" + VIRETA_CLASE_BIN + "' " + args +
                                " >stdout.txt 2>stderr.txt";
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testfiles::readFile(dir_ + "stdout.txt"),
                testfiles::readFile(dir_ + "stderr.txt")};
    }
    void writeQuiz() {
        write("quiz.xml", testfiles::readFile(std::string(VIRETA_TEST_DATA) + "/web/kinds.xml"));
    }
};

// A loopback port held by the test, so the server must take the next one.
struct HeldPort {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    HeldPort() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd, 1) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
            port = ntohs(a.sin_port);
    }
    ~HeldPort() { ::close(fd); }
};

} // namespace

TEST_F(ClassroomCli, RefusesBadArgumentsWithAReason) {
    writeQuiz();
    write("empty.xml", "<?xml version=\"1.0\"?><xogo></xogo>");
    const struct {
        const char* args;
        int status;
        const char* says;
    } cases[] = {
        {"", 2, "falta o cuestionario"},
        {"quiz.xml --time 4", 2, "--time"},
        {"quiz.xml --time 301", 2, "--time"},
        {"quiz.xml --port 0", 2, "--port"},
        {"quiz.xml --port", 2, "precisa dun valor"},
        {"quiz.xml --colour", 2, "opción descoñecida"},
        {"quiz.xml other.xml", 2, "un só cuestionario"},
        {"quiz.xml --listen 999.1.1.1", 1, "non é un enderezo IP"},
        {"missing.xml", 1, "missing.xml"},
    };
    for (const auto& c : cases) {
        const Outcome o = runClase(c.args);
        EXPECT_EQ(o.status, c.status) << c.args;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << c.args << ": " << o.err;
        EXPECT_EQ(o.out, "") << c.args;
    }
    EXPECT_EQ(runClase("--help").status, 0);
}

TEST_F(ClassroomCli, PrintsItsThreeLinesAtTheFirstFreePortAndEndsCleanlyOnSigterm) {
    writeQuiz();
    const HeldPort held;
    ASSERT_GT(held.port, 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const std::string port = std::to_string(held.port);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::chdir(dir_.c_str());
        ::execl(VIRETA_CLASE_BIN, VIRETA_CLASE_BIN, "quiz.xml", "--listen", "127.0.0.1", "--time", "0",
                "--port", port.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    struct Reap { // a server left running by a failed assertion is stopped
        pid_t pid;
        ~Reap() {
            if (pid > 0 && ::kill(pid, SIGKILL) == 0)
                ::waitpid(pid, nullptr, 0);
        }
    } reap{child};
    FILE* out = ::fdopen(pipeFds[0], "r");
    ASSERT_NE(out, nullptr);
    std::string lines[3];
    for (std::string& line : lines) {
        char buffer[512] = {};
        ASSERT_NE(std::fgets(buffer, sizeof buffer, out), nullptr);
        line = buffer;
    }
    const std::string next = "127.0.0.1:" + std::to_string(held.port + 1) + "/";
    EXPECT_EQ(lines[0], "Alumnado: http://" + next + "\n");
    const std::string code = "Código: ";
    EXPECT_EQ(lines[1].rfind(code, 0), 0u) << lines[1];
    EXPECT_EQ(lines[1].find_first_not_of("0123456789", code.size()), code.size() + 6) << lines[1];
    EXPECT_EQ(lines[2].rfind("Presentador: http://" + next + "presentador?chave=", 0), 0u) << lines[2];
    EXPECT_EQ(lines[2].size(), std::string("Presentador: http://" + next + "presentador?chave=").size() + 32 + 1);
    ::kill(child, SIGTERM);
    int raw = 0;
    ASSERT_EQ(::waitpid(child, &raw, 0), child);
    reap.pid = 0;
    std::fclose(out);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
}
