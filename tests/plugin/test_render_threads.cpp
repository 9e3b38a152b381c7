// Threads: a frame is the same whatever the number of iteration threads,
// and frames rendered at the same time equal the same frames one by one.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "RenderTestSupport.h"

namespace kestrow::test {
namespace {

// A 61 x 47 frame of the Grid mode (every row differs) under `threads`
// iteration threads. Progress is reported once per row and ends at the
// output height, the range the render hands the iteration.
host::World renderWithThreads(unsigned threads, const host::World& input) {
  std::atomic<int> reports{0};
  std::atomic<A_long> highest{0};
  host::HostOptions options{.iterateThreads = threads};
  options.progress = [&](A_long current, A_long total) {
    EXPECT_EQ(total, input.height());
    ++reports;
    A_long seen = highest.load();
    while (current > seen && !highest.compare_exchange_weak(seen, current)) {
    }
  };
  hooks::TestHost host(options);
  EXPECT_TRUE(isOk(host.load(pluginFile())));
  std::unique_ptr<host::Instance> instance;
  EXPECT_TRUE(isOk(host.createInstance(instance)));
  EXPECT_TRUE(isOk(instance->setPopup(MATTE_MODE, popupValue(Mode::Grid))));
  EXPECT_TRUE(isOk(instance->setFloat(MATTE_RADIUS, 0.4)));
  EXPECT_TRUE(isOk(instance->setAngle(MATTE_ROTATE_Y, 33)));
  host::World output(input.width(), input.height(), host::PixelDepth::kFloat32);
  host::World& in = const_cast<host::World&>(input);
  EXPECT_TRUE(isOk(instance->render(in, output)));
  EXPECT_TRUE(leftNothing(host.lastCommand()));
  EXPECT_EQ(reports.load(), input.height());
  EXPECT_EQ(highest.load(), input.height());
  return output;
}

TEST(ThreadedRender, FrameIsTheSameWhateverTheThreadCount) {
  const host::World input = positionPass(61, 47);
  const host::World one = renderWithThreads(1, input);
  for (unsigned threads : {2u, 3u, 8u}) {
    SCOPED_TRACE(threads);
    EXPECT_TRUE(sameBits(one, renderWithThreads(threads, input)));
  }
}

// Each frame's input differs, so a render reading another render's record
// or rows would show.
host::World frameInput(int frame) {
  host::World w = positionPass(23 + frame, 17);
  for (int y = 0; y < w.height(); ++y) {
    for (int x = 0; x < w.width(); ++x) {
      w.pixelFloat(x, y)->red += 0.13f * static_cast<float>(frame);
    }
  }
  return w;
}

class ThreadedRenderOneInstance : public PluginInstance {
 protected:
  ThreadedRenderOneInstance() : PluginInstance({.iterateThreads = 4}) {}
};

TEST_F(ThreadedRenderOneInstance, ConcurrentFramesEqualFramesRenderedOneByOne) {
  constexpr int kFrames = 8;
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, popupValue(Mode::Radial))));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_MULTIPLY_VALUES, 0.75)));

  std::vector<host::World> inputs;
  std::vector<host::World> serial;
  std::vector<host::World> parallel;
  for (int f = 0; f < kFrames; ++f) {
    inputs.push_back(frameInput(f));
    serial.emplace_back(inputs[f].width(), inputs[f].height(), host::PixelDepth::kFloat32);
    parallel.emplace_back(inputs[f].width(), inputs[f].height(), host::PixelDepth::kFloat32);
  }
  for (int f = 0; f < kFrames; ++f) ASSERT_TRUE(isOk(instance_->render(inputs[f], serial[f])));

  std::vector<host::Status> results(kFrames);
  std::vector<std::thread> threads;
  for (int f = 0; f < kFrames; ++f) {
    threads.emplace_back([&, f] {
      host::RenderOptions options;
      options.currentTime = f;
      results[f] = instance_->render(inputs[f], parallel[f], options);
    });
  }
  for (std::thread& t : threads) t.join();
  for (int f = 0; f < kFrames; ++f) {
    SCOPED_TRACE(f);
    EXPECT_TRUE(isOk(results[f]));
    EXPECT_TRUE(sameBits(serial[f], parallel[f]));
  }
  for (const host::CommandRecord& r : commandsOf(host_, PF_Cmd_SMART_RENDER)) {
    EXPECT_TRUE(leftNothing(r));
  }
}

}  // namespace
}  // namespace kestrow::test
