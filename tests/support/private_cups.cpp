#include "tests/support/private_cups.h"

#include <cups/cups.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/platform/clock.h"

extern char** environ;

namespace {

constexpr int start_timeout_ms = 15000;
constexpr int command_timeout_ms = 15000;
constexpr int stop_timeout_ms = 5000;
constexpr int poll_ms = 20;
constexpr int http_timeout_ms = 5000;
constexpr double points_per_inch = 72.0;

// A printer description for an A4 queue with 18 pt side and 36 pt top and bottom margins,
// taking documents of one format as they come: the scheduler's copying filter passes them
// on to the device unchanged. @MODEL@, @FORMAT@ and @DPI@ are filled in.
constexpr const char* file_queue_ppd_template = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "FILEQ.PPD"
*Manufacturer: "Test"
*Product: "(@MODEL@)"
*ModelName: "@MODEL@"
*ShortNickName: "@MODEL@"
*NickName: "@MODEL@"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "@FORMAT@ @FORMAT@ 0 gziptoany"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 36 577 806"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: @DPI@dpi
*Resolution @DPI@dpi/@DPI@ DPI: "<</HWResolution[@DPI@ @DPI@]>>setpagedevice"
*CloseUI: *Resolution
)ppd";

std::string file_queue_ppd(const std::string& model, const std::string& format, int dpi) {
    std::string text = file_queue_ppd_template;
    const std::pair<std::string, std::string> fields[] = {
        {"@MODEL@", model}, {"@FORMAT@", format}, {"@DPI@", std::to_string(dpi)}};
    for (const auto& [field, value] : fields)
        for (size_t at = text.find(field); at != std::string::npos;
             at = text.find(field, at + value.size()))
            text.replace(at, field.size(), value);
    return text;
}

bool write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A port nobody listens on now: the kernel picks one for a socket bound to port 0.
int free_port() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

bool socket_answers(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

std::string cupsd_conf(const std::string& socket, int port) {
    return "Listen " + socket + "\nListen 127.0.0.1:" + std::to_string(port) +
           "\nBrowsing No\nWebInterface No\nLogLevel warn\nPreserveJobFiles Yes\n"
           "DefaultAuthType None\n"
           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
}

std::string cups_files_conf(const std::string& folder) {
    return "ServerRoot " + folder + "/root\nRequestRoot " + folder + "/spool\nCacheDir " + folder +
           "/cache\nStateDir " + folder + "/state\nTempDir " + folder + "/tmp\nAccessLog " +
           folder + "/log/access_log\nErrorLog " + folder + "/log/error_log\nPageLog " + folder +
           "/log/page_log\nPrintcap " + folder + "/printcap\nFileDevice Yes\nSystemGroup root\n";
}

// The test's environment without the variables that name a destination of their own.
std::vector<std::string>
environment_without_destination(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (const std::string& entry : environment_with(overrides)) {
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "PRINTER" && name != "LPDEST") result.push_back(entry);
    }
    return result;
}

} // namespace

int queue_paper::to_pixels(int points) const {
    return static_cast<int>(std::lround(points * dpi / points_per_inch));
}

private_cups::private_cups() {
    char pattern[] = "/tmp/mirva-cups.XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    chmod(folder_.c_str(), 0755);
    for (const char* sub :
         {"root", "spool", "cache", "state", "tmp", "log", "out", "home", "client"})
        std::filesystem::create_directory(folder_ + "/" + sub);
    // Filters run as the scheduler's unprivileged user and write their temporary files here.
    chmod((folder_ + "/tmp").c_str(), 01777);
    socket_ = folder_ + "/cups.sock";
    port_ = free_port();
    ready_ = start();
}

private_cups::~private_cups() {
    if (scheduler_) {
        scheduler_->kill(SIGTERM);
        if (!scheduler_->wait_exit(stop_timeout_ms)) scheduler_->kill(SIGKILL);
    }
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool private_cups::start() {
    const std::string conf = folder_ + "/root/cupsd.conf";
    const std::string files = folder_ + "/root/cups-files.conf";
    if (port_ == 0 || !write_file(conf, cupsd_conf(socket_, port_)) ||
        !write_file(files, cups_files_conf(folder_)))
        return false;
    process_options options;
    options.quiet = true;
    scheduler_ = std::make_unique<child_process>(
        std::vector<std::string>{"cupsd", "-f", "-c", conf, "-s", files}, options);
    const int64_t deadline = rt_clock_ms() + start_timeout_ms;
    while (rt_clock_ms() < deadline && scheduler_->running()) {
        if (socket_answers(socket_)) return true;
        rt_sleep_ms(poll_ms);
    }
    return false;
}

bool private_cups::add_raster_queue(const std::string& name, bool make_default) {
    return add_file_queue(name,
                          file_queue_ppd("Raster file", "image/pwg-raster", raster_queue_page.dpi),
                          make_default);
}

bool private_cups::add_postscript_queue(const std::string& name, bool make_default) {
    return add_file_queue(
        name,
        file_queue_ppd("PostScript file", "application/postscript", postscript_queue_page.dpi),
        make_default);
}

bool private_cups::add_file_queue(const std::string& name, const std::string& ppd_text,
                                  bool make_default) {
    const std::string ppd = folder_ + "/" + name + ".ppd";
    return write_file(ppd, ppd_text) && add_queue(name, ppd, make_default);
}

bool private_cups::add_queue(const std::string& name, const std::string& ppd, bool make_default,
                             const std::vector<std::string>& options) {
    const std::string device = "file:" + folder_ + "/out/" + name + ".out";
    std::vector<std::string> command{"lpadmin", "-h", socket_, "-p", name,
                                     "-E",      "-v", device,  "-P", ppd};
    for (const std::string& option : options) command.insert(command.end(), {"-o", option});
    if (run_command(command, environment(), command_timeout_ms).status != 0) return false;
    if (!make_default) return true;
    return run_command({"lpadmin", "-h", socket_, "-d", name}, environment(), command_timeout_ms)
               .status == 0;
}

std::vector<std::string> private_cups::environment() const {
    return environment_without_destination({"CUPS_SERVER=" + socket_,
                                            "CUPS_SERVERROOT=" + folder_ + "/client",
                                            "HOME=" + folder_ + "/home"});
}

void private_cups::use_for_this_process() const {
    setenv("CUPS_SERVER", socket_.c_str(), 1);
    setenv("CUPS_SERVERROOT", (folder_ + "/client").c_str(), 1);
    setenv("HOME", (folder_ + "/home").c_str(), 1);
    unsetenv("PRINTER");
    unsetenv("LPDEST");
}

std::vector<printed_job> private_cups::completed_jobs() const {
    std::vector<printed_job> result;
    http_t* http = httpConnect2(socket_.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                                http_timeout_ms, nullptr);
    if (!http) return result;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http, &jobs, nullptr, 0, CUPS_WHICHJOBS_COMPLETED);
    for (int i = 0; i < count; ++i) {
        if (jobs[i].state != IPP_JSTATE_COMPLETED) continue;
        char document[32];
        std::snprintf(document, sizeof document, "/spool/d%05d-001", jobs[i].id);
        result.push_back(
            {jobs[i].id, jobs[i].title ? jobs[i].title : "", read_file(folder_ + document)});
    }
    cupsFreeJobs(count, jobs);
    httpClose(http);
    std::sort(result.begin(), result.end(),
              [](const printed_job& a, const printed_job& b) { return a.id < b.id; });
    return result;
}

bool private_cups::wait_for_completed_jobs(size_t count, int timeout_ms) const {
    const int64_t deadline = rt_clock_ms() + timeout_ms;
    for (;;) {
        if (completed_jobs().size() >= count) return true;
        if (rt_clock_ms() > deadline) return false;
        rt_sleep_ms(poll_ms * 5);
    }
}

size_t private_cups::job_count() const {
    http_t* http = httpConnect2(socket_.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                                http_timeout_ms, nullptr);
    if (!http) return 0;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, jobs);
    httpClose(http);
    return count > 0 ? static_cast<size_t>(count) : 0;
}

std::string private_cups::device_output(const std::string& queue) const {
    return read_file(folder_ + "/out/" + queue + ".out");
}
