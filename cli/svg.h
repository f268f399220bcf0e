// svg.h: the timeline picture: each map a row, each event a bar in its kind's colour.
#ifndef QVCLI_SVG_H
#define QVCLI_SVG_H

#include <string>
#include <vector>

#include "sink.h"

namespace qvcli {

class TimelinePicture : public Sink {
public:
    struct Bar {
        int map = 0;
        const EventKind *kind = nullptr;
        float start = 0, end = 0;
        bool forced = false;
        Phase how = Phase::End;  // End, Dropped or Unfinished
    };

    void runStart(const RunInfo &info) override;
    void event(const Stamp &s, const EventNote &n) override;
    void finish(const RunEnd &end) override { mapLengths_ = end.mapLengths; }

    // The whole picture as SVG text.
    std::string render() const;
    // Writes it to a temporary file beside `path` and renames it into place.
    bool write(const std::string &path, std::string &error) const;

private:
    std::vector<Bar> bars_;
    std::vector<float> mapLengths_;
    std::string title_;
};

}  // namespace qvcli

#endif
