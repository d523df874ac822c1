#include "sw/tools/flashLoader/update/tool_messages.h"

#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

class ToolMessages : public burnkit::MessageSink {
 public:
  void write(burnkit::MessageStream stream, std::string_view text) override {
    const OutputStream to = stream == burnkit::MessageStream::err ? OutputStream::err : OutputStream::out;
    tool_output().write(to, text);
    tool_output().flush(to);
  }
};

}  // namespace

burnkit::MessageSink& tool_messages() {
  static ToolMessages sink;
  return sink;
}
