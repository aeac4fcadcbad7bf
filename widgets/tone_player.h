// Beeps of a given frequency and length, synthesised and played through the
// default audio output. Tones queue and play one after another in the
// background, so a beep never holds up the next key press. Without an audio
// output each tone falls back to the system beep.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <deque>
#include <memory>

class QAudioSink;

namespace woodtick {

class TonePlayer : public QObject {
  Q_OBJECT

 public:
  explicit TonePlayer(QObject* parent = nullptr);
  ~TonePlayer() override;

  // The player the program's beeps go through.
  static TonePlayer& Instance();

  void Play(int frequency_hz, int duration_ms);

  // Tones waiting or playing.
  int pending() const { return static_cast<int>(queue_.size()) + (playing_ ? 1 : 0); }
  bool has_audio_output() const { return sink_ != nullptr; }

  // 16-bit mono PCM of a sine tone, faded in and out so it does not click.
  static QByteArray Synthesise(int frequency_hz, int duration_ms, int sample_rate);

 private:
  struct Tone {
    int frequency_hz;
    int duration_ms;
  };

  void PlayNext();
  void OnStateChanged();

  std::unique_ptr<QAudioSink> sink_;
  int sample_rate_ = 0;
  QByteArray pcm_;
  QBuffer source_;
  std::deque<Tone> queue_;
  bool playing_ = false;
};

}  // namespace woodtick
