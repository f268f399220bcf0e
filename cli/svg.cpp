// svg.cpp: draws the events of a run on a time axis as SVG and replaces the target file in one step.
#include "svg.h"

#include "numbers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qvcli {

namespace {

// One colour per event number, 1 to 6.
const char *eventColour(int number) {
    static const char *const colours[] = {"#999999", "#4c78a8", "#f58518", "#9d755d", "#b279a2", "#54a24b", "#e45756"};
    return number >= 1 && number <= 6 ? colours[number] : colours[0];
}

constexpr double kLeft = 70, kRight = 30, kTop = 50, kRowHeight = 34, kBarHeight = 18, kPlotWidth = 900;
constexpr double kMinBarWidth = 3;  // a 1 s event on a 30 min axis would vanish

std::string fmt(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string escape(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A tick step that gives at most a dozen ticks.
double tickStep(double span) {
    static const double steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400};
    for (double s : steps)
        if (span / s <= 12) return s;
    return 28800;
}

}  // namespace

void TimelinePicture::runStart(const RunInfo &info) {
    title_ = "quorvex-sim: random events, seed " + std::to_string(info.options->seed);
    if (!info.scenario.empty()) title_ += ", scenario " + info.scenario;
}

void TimelinePicture::event(const Stamp &s, const EventNote &n) {
    if (n.phase == Phase::Start || n.phase == Phase::Hold) return;
    Bar b;
    b.map = s.map;
    b.kind = n.kind;
    b.start = n.startTime;
    b.end = s.time;
    b.forced = n.forced;
    b.how = n.phase;
    bars_.push_back(b);
}

std::string TimelinePicture::render() const {
    double span = 1;
    for (float len : mapLengths_) span = std::max(span, static_cast<double>(len));
    const double scale = kPlotWidth / span;
    const std::size_t rows = std::max<std::size_t>(mapLengths_.size(), 1);
    const double axisY = kTop + static_cast<double>(rows) * kRowHeight + 6;
    const double legendY = axisY + 40;
    const double width = kLeft + kPlotWidth + kRight;
    const double height = legendY + 50;

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fmt(width) + "\" height=\"" + fmt(height) +
           "\" viewBox=\"0 0 " + fmt(width) + ' ' + fmt(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out += "<title>" + escape(title_) + "</title>\n";
    out += "<defs><pattern id=\"dropped\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"3\" height=\"6\" fill=\"white\" "
           "fill-opacity=\"0.6\"/></pattern></defs>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    out += "<text x=\"" + fmt(kLeft) + "\" y=\"24\" font-size=\"15\">" + escape(title_) + "</text>\n";

    for (std::size_t m = 0; m < mapLengths_.size(); ++m) {
        const double y = kTop + static_cast<double>(m) * kRowHeight;
        out += "<text x=\"10\" y=\"" + fmt(y + kBarHeight - 4) + "\">map " + std::to_string(m + 1) + "</text>\n";
        out += "<rect class=\"map\" x=\"" + fmt(kLeft) + "\" y=\"" + fmt(y) + "\" width=\"" +
               fmt(std::max(1.0, static_cast<double>(mapLengths_[m]) * scale)) + "\" height=\"" + fmt(kBarHeight) +
               "\" fill=\"#eeeeee\"/>\n";
    }

    for (const Bar &b : bars_) {
        const double y = kTop + static_cast<double>(b.map - 1) * kRowHeight;
        const double x = kLeft + b.start * scale;
        const double w = std::max(kMinBarWidth, (b.end - b.start) * scale);
        out += "<rect class=\"event\" data-event=\"" + std::to_string(b.kind->number) + "\" data-map=\"" +
               std::to_string(b.map) + "\" data-start=\"" + fmt(b.start) + "\" data-end=\"" + fmt(b.end) +
               "\" data-forced=\"" + (b.forced ? "true" : "false") + "\" data-ended=\"" + phaseName(b.how) +
               "\" x=\"" + fmt(x) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(w) + "\" height=\"" + fmt(kBarHeight) +
               "\" fill=\"" + eventColour(b.kind->number) + "\"><title>" + escape(b.kind->name) + (b.forced ? " (forced)" : "") +
               ", map " + std::to_string(b.map) + ", " + fmt(b.start) + " s to " + fmt(b.end) + " s" +
               (b.how == Phase::Dropped ? ", dropped by the map change" : "") +
               (b.how == Phase::Unfinished ? ", still running at the end" : "") + "</title></rect>\n";
        if (b.how != Phase::End)
            out += "<rect class=\"cut\" x=\"" + fmt(x) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(w) + "\" height=\"" +
                   fmt(kBarHeight) + "\" fill=\"url(#dropped)\"/>\n";
        if (b.forced)
            out += "<path class=\"forced\" d=\"M " + fmt(x + w / 2) + ' ' + fmt(y - 1) + " l -5 -8 l 10 0 z\" "
                   "fill=\"black\"/>\n";
    }

    // Time axis in minutes and seconds.
    out += "<line x1=\"" + fmt(kLeft) + "\" y1=\"" + fmt(axisY) + "\" x2=\"" + fmt(kLeft + kPlotWidth) + "\" y2=\"" +
           fmt(axisY) + "\" stroke=\"black\"/>\n";
    const double step = tickStep(span);
    for (double t = 0; t <= span + 1e-9; t += step) {
        const double x = kLeft + t * scale;
        out += "<line x1=\"" + fmt(x) + "\" y1=\"" + fmt(axisY) + "\" x2=\"" + fmt(x) + "\" y2=\"" + fmt(axisY + 5) +
               "\" stroke=\"black\"/><text x=\"" + fmt(x) + "\" y=\"" + fmt(axisY + 18) +
               "\" text-anchor=\"middle\">" + minutesSeconds(t) + "</text>\n";
    }
    out += "<text x=\"" + fmt(kLeft + kPlotWidth) + "\" y=\"" + fmt(axisY + 32) +
           "\" text-anchor=\"end\">server time (min:s)</text>\n";

    // Legend: every kind, then the markers.
    double x = kLeft;
    out += "<g class=\"legend\">\n";
    for (const EventKind &k : qvsim::randomEvents()) {
        out += "<rect x=\"" + fmt(x) + "\" y=\"" + fmt(legendY) + "\" width=\"12\" height=\"12\" fill=\"" + eventColour(k.number) +
               "\"/><text x=\"" + fmt(x + 16) + "\" y=\"" + fmt(legendY + 11) + "\">" + escape(k.name) + "</text>\n";
        x += 130;
    }
    out += "<path d=\"M " + fmt(kLeft + 5) + ' ' + fmt(legendY + 34) + " l -5 -8 l 10 0 z\" fill=\"black\"/>"
           "<text x=\"" + fmt(kLeft + 16) + "\" y=\"" + fmt(legendY + 34) + "\">forced by a client command</text>\n";
    out += "<rect x=\"" + fmt(kLeft + 240) + "\" y=\"" + fmt(legendY + 23) + "\" width=\"12\" height=\"12\" "
           "fill=\"#888888\"/><rect x=\"" + fmt(kLeft + 240) + "\" y=\"" + fmt(legendY + 23) +
           "\" width=\"12\" height=\"12\" fill=\"url(#dropped)\"/><text x=\"" + fmt(kLeft + 256) + "\" y=\"" +
           fmt(legendY + 34) + "\">cut short by a map change or the end of the run</text>\n";
    out += "</g>\n</svg>\n";
    return out;
}

bool TimelinePicture::write(const std::string &path, std::string &error) const {
    const std::string text = render();
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot create a file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; a picture is for anyone to read.
    const bool ok = done == text.size() && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    const int saved = errno;
    if (close(fd) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(ok ? errno : saved);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace qvcli
