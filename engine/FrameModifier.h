#pragma once

#include <complex>
#include <memory>
#include <vector>

#include "dsp/Fft.h"
#include "engine/EqualiserCurve.h"

namespace plimo {

class RandomGenerator;

// When a run makes the inverse transform of a length. A file run makes
// each the first time a frame needs it: most voices meet only a few of the
// hundreds of lengths, and making them all costs far more than a short
// file's frames. A run that must keep up with a listener makes them all
// before its first frame, so that no frame waits on the planner.
enum class InverseTiming { kOnFirstUse, kAllUpFront };

// The per-frame core of the engine: splits a windowed frame into an LPC
// envelope and an excitation, shortens the excitation's spectrum by the
// pitch factor (which raises the pitch once it is transformed back at the
// smaller size), stretches the envelope so that the formants move by the
// formant factor alone, applies the equaliser and, when asked, the whisper.
//
// Every buffer is made by Configure, once per run. The forward transform is
// made there too, the inverse transforms there or when a length is first
// met (InverseTiming); once a length has been met, ModifyFrame allocates
// nothing and takes no lock.
class FrameModifier {
 public:
  FrameModifier() = default;
  virtual ~FrameModifier() = default;

  FrameModifier(const FrameModifier&) = delete;
  FrameModifier& operator=(const FrameModifier&) = delete;

  // Sizes everything for frames of up to maxFrameLength samples at
  // samplingRate (Hz), an FFT of fftSize points and LPC order lpcOrder, and
  // reserves the equaliser's curve; the equaliser's bands and the generator
  // are used by every later ModifyFrame. Returns 1, or -1 when a size is out
  // of range or a transform cannot be made.
  int Configure(int samplingRate, int fftSize, int lpcOrder, int maxFrameLength, const Equaliser& equaliser,
                RandomGenerator& random);

  // Takes effect at the next Configure; kOnFirstUse until then.
  void SetInverseTiming(InverseTiming timing) { inverseTiming = timing; }

  // frame holds n windowed samples (n <= maxFrameLength); pitchFactor is
  // limited to 0.6 .. 3.0 by the caller, formant to 0.1 .. 10 here. With
  // whisperOn, whisperLevel of each bin's magnitude takes a random phase
  // (one draw per bin above 0, in bin order). On return
  // the frame holds the M samples of the modified frame; returns M.
  int ModifyFrame(float* frame, int n, float pitchFactor, float formant, int whisperOn, float whisperLevel);

  // The sizes ModifyFrame works with for one call.
  struct Sizes {
    int inverseBins;   // K', odd
    int inverseSize;   // Q = 2 K' - 2
    int outputLength;  // M
    int warpedLength;  // W
    float stretch;     // b, the envelope's stretch
  };
  Sizes SizesFor(int n, float pitchFactor, float formant) const;
  // The most samples (M) a frame of up to maxFrameLength keeps of an
  // inverse transform of inverseBins bins; those transforms compute no more.
  int KeptSamplesOf(int inverseBins) const;

  int samplingRate = 0;  // Hz
  int fftSize = 0;       // N
  int binCount = 0;      // K = N/2 + 1
  int lpcOrder = 0;      // p
  int maxFrameLength = 0;

  std::vector<double> autocorrelation;        // p + 1
  std::vector<double> widened;                // the frame in double, maxFrameLength
  std::vector<double> lpcCoefficients;        // a_1 .. a_p
  std::vector<float> envelope;                // K values of 1 / |A_k|
  std::vector<float> warped;                  // up to the largest W
  std::vector<std::complex<float>> spectrum;  // K bins

 private:
  void Autocorrelate(const float* frame, int n);
  void EstimateEnvelope(const float* frame, int n);
  void Whisper(int bins, float level);
  // The inverse of inverseBins bins, made now when it is not yet; nullptr
  // when it cannot be made.
  RealFft* InverseFor(int inverseBins);

  const Equaliser* equaliser = nullptr;
  EqualiserCurve equaliserCurve;
  RandomGenerator* random = nullptr;
  std::vector<double> levinsonScratch;  // p
  // N: the prediction-error filter, the padded frame, then the inverse.
  std::vector<float> signal;
  std::unique_ptr<RealFft> forward;
  // One slot per reachable K', odd ones from smallestInverseBins to K; a
  // slot stays empty until its length is made.
  std::vector<std::unique_ptr<RealFft>> inverses;
  int smallestInverseBins = 0;
  InverseTiming inverseTiming = InverseTiming::kOnFirstUse;
};

}  // namespace plimo
