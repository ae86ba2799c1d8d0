// Starts a program on the current X display and prints the milliseconds from exec to
// the first drawing into one of its windows (seen through the DAMAGE extension), then
// its peak resident memory one second later, then ends it.
//   firstpaint PROGRAM [ARGS...]  ->  "<ms> <peak-rss-kib> <pid>"
// With FIRSTPAINT_KEEP=1 the program is left running and its pid printed last.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>

namespace {

long peakRssKib(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: firstpaint PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 3;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_query_extension_reply_t* dmg = xcb_get_extension_data(c, &xcb_damage_id);
    if (!dmg || !dmg->present) return 4;
    free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
    xcb_flush(c);

    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double ms = -1;
    std::set<xcb_window_t> watched;
    while (ms < 0) {
        xcb_generic_event_t* ev = xcb_wait_for_event(c);
        if (!ev) break;
        const uint8_t type = ev->response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY) {
            const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(ev);
            if (!m->override_redirect && watched.insert(m->window).second) {
                xcb_damage_create(c, xcb_generate_id(c), m->window,
                                  XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(c);
            }
        } else if (type == dmg->first_event + XCB_DAMAGE_NOTIFY) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                     .count();
        }
        free(ev);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::printf("%.1f %ld %d\n", ms, peakRssKib(pid), int(pid));
    std::fflush(stdout);
    if (!std::getenv("FIRSTPAINT_KEEP")) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    xcb_disconnect(c);
    return ms < 0 ? 1 : 0;
}
