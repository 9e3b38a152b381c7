// One effect instance: its control values, its sequence data, the hidden
// state of its controls, and the commands that act on it.
//
// Thread safety: render() may run on several threads at once. When the
// plug-in declares PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER each
// render thread gets a writable copy of the sequence block for the span of
// a render (beginRender() to endRender(); a render() outside one is a span
// of its own); otherwise renders of one instance take turns. The other calls are for one
// thread at a time, but may overlap running renders (values are read under
// a lock when a render checks them out).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Status.h"
#include "kestrow/host/World.h"

namespace kestrow::host {

// A stored instance, as a project keeps it: the control values and the
// sequence block byte for byte (flat_sdata_size bytes, or the whole handle).
struct SavedInstance {
  std::vector<PF_ParamDef> values;         // index 0 .. n-1; layer controls saved empty
  std::vector<PF_PixelFloat> floatColors;  // per index; only colour controls matter
  std::vector<std::uint8_t> sequenceData;  // empty: no sequence data
};

struct RenderOptions {
  A_long currentTime = 0;
  A_long timeStep = 1;
  A_u_long timeScale = 24;
  PF_RationalScale downsampleX{1, 1};
  PF_RationalScale downsampleY{1, 1};
  // Where the output's top-left pixel lies in the input layer: output pixel
  // (x, y) corresponds to input pixel (x + originX, y + originY). The input
  // must cover the output there.
  A_long outputOriginX = 0;
  A_long outputOriginY = 0;
  // PF_Cmd_SMART_PRE_RENDER commands sent before the render (at least one):
  // After Effects may ask any number of times; the last one's check-outs
  // are those the render may take.
  int preRenders = 1;
};

class Instance {
 public:
  ~Instance();  // sends PF_Cmd_SEQUENCE_SETDOWN if the host is still loaded
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Sends PF_Cmd_SEQUENCE_SETDOWN now; later calls fail with kWrongState.
  Status close();

  // Current value records, index 0 the input layer (empty between renders).
  int numParams() const;
  PF_ParamDef param(PF_ParamIndex index) const;
  PF_PixelFloat floatColor(PF_ParamIndex index) const;

  // Change a control as the user would: the value is checked against the
  // control's type and valid range (kInvalidArgument otherwise), stored,
  // and then, like the real host, PF_Cmd_USER_CHANGED_PARAM is sent for a
  // supervised control (values the plug-in marks PF_ChangeFlag_CHANGED_VALUE
  // are taken over), PF_Cmd_UPDATE_PARAMS_UI when the plug-in asked for it,
  // and PF_Cmd_QUERY_DYNAMIC_FLAGS when it supports that.
  Status setFloat(PF_ParamIndex index, double value);  // float slider
  Status setPopup(PF_ParamIndex index, A_long value);  // 1 .. item count
  Status setCheckbox(PF_ParamIndex index, bool value);
  Status setAngle(PF_ParamIndex index, double degrees);  // stored as 16.16
  Status setPoint3D(PF_ParamIndex index, double x, double y, double z);
  // A layer control's picture (shared with the caller), or null for none.
  Status setLayer(PF_ParamIndex index, std::shared_ptr<World> layer);
  // The eyedropper: a float colour (not limited to 0..1) into a colour
  // control; the 8-bit value follows, clamped and rounded.
  Status pickColor(PF_ParamIndex index, PF_PixelFloat color);

  // Hidden state the plug-in set through AEGP_SetDynamicStreamFlag.
  bool isHidden(PF_ParamIndex index) const;
  std::vector<PF_ParamIndex> hiddenParams() const;
  // Times the plug-in set PF_OutFlag_FORCE_RERENDER.
  int rerenderRequests() const;

  // Smart pre-render then smart render of one frame from `input` into
  // `output` (same depth), as After Effects sends them: no parameter array;
  // layer pixels only for ids the last pre-render checked out, each once;
  // point controls scaled by the downsample factors. Fails with
  // kInvalidArgument when the worlds are invalid, of different depths, or
  // the input does not cover the output at the origin; with kPluginError
  // when a command fails.
  Status render(World& input, World& output, const RenderOptions& options = {});
  // Smart pre-render alone, as After Effects may send it with no render
  // after it (options.preRenders times).
  Status preRender(World& input, World& output, const RenderOptions& options = {});

  // The span of one render (a render queue item, a RAM preview): with
  // mutable render-time sequence data each thread that renders in the span
  // keeps one copy of the sequence block for all its frames, as After
  // Effects duplicates it to each render thread when the render begins.
  // endRender() drops the copies; call it once the span's renders have
  // returned. kWrongState for a span already open / not open.
  Status beginRender();
  Status endRender();

  // Sends PF_Cmd_UPDATE_PARAMS_UI / PF_Cmd_QUERY_DYNAMIC_FLAGS on their own.
  Status updateParamsUI();
  Status queryDynamicFlags();
  // Flags the last PF_Cmd_QUERY_DYNAMIC_FLAGS left in PF_OutData.
  PF_OutFlags dynamicOutFlags() const;
  PF_OutFlags2 dynamicOutFlags2() const;

  // Project operations as After Effects performs them.
  // save: PF_Cmd_SEQUENCE_FLATTEN, then the control values and the bytes of
  // the block the effect left in out_data->sequence_data (which the
  // instance keeps). Host::loadInstance() is the way back.
  Status save(SavedInstance& out);
  // Pre-compose, copy, or a change of the layer the effect sits on:
  // PF_Cmd_SEQUENCE_RESETUP with the instance's block.
  Status resetup();
  // Duplicate: PF_Cmd_SEQUENCE_FLATTEN, then PF_Cmd_SEQUENCE_RESETUP for
  // this instance with the flattened block and for the new one (same
  // controls) with its own copy of those bytes.
  Status duplicate(std::unique_ptr<Instance>& copy);

  // Current sequence block (a copy, flat_sdata_size bytes where that
  // fits), empty when there is none. Sends nothing.
  std::vector<std::uint8_t> sequenceData() const;
  A_long flatSequenceDataSize() const;

  struct State;
  explicit Instance(std::shared_ptr<State> state);

 private:
  friend struct StateOf;  // the host library's own sources and test hooks
  std::shared_ptr<State> state_;
};

}  // namespace kestrow::host
