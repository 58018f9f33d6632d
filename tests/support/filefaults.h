#ifndef TAVREL_FILEFAULTS_H
#define TAVREL_FILEFAULTS_H

// File-system faults a test can switch on for its own length: file modes that bite, and a
// limit on how large a written file may grow.
#include <array>
#include <csignal>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root reads and writes through any file mode. For the length of one test the calling thread
// (the GUI thread does all file work) gives up that override and meets modes as every other user.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        m_saved = capabilities();
        __user_cap_data_struct data[2] = {m_saved[0], m_saved[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            data[cap / 32].effective &= ~(1u << (cap % 32));
        setCapabilities(data);
    }
    ~AsOrdinaryUser() { setCapabilities(m_saved.data()); }
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

private:
    static std::array<__user_cap_data_struct, 2> capabilities()
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        std::array<__user_cap_data_struct, 2> data{};
        syscall(SYS_capget, &header, data.data());
        return data;
    }
    static void setCapabilities(__user_cap_data_struct *data)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        syscall(SYS_capset, &header, data);
    }
    std::array<__user_cap_data_struct, 2> m_saved;
};

// While alive, no file larger than kSmallFileLimit can be written: copying a large file fails
// while a shorter rewrite still succeeds.
constexpr rlim_t kSmallFileLimit = 8192;

class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = kSmallFileLimit;
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};

#endif // TAVREL_FILEFAULTS_H
