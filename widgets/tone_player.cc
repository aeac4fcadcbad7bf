#include "widgets/tone_player.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace woodtick {

TonePlayer::TonePlayer(QObject* parent) : QObject(parent) {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;
  QAudioFormat format;
  format.setSampleRate(std::clamp(device.preferredFormat().sampleRate(), 8000, 48000));
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) return;
  sample_rate_ = format.sampleRate();
  sink_ = std::make_unique<QAudioSink>(device, format);
  connect(sink_.get(), &QAudioSink::stateChanged, this, &TonePlayer::OnStateChanged);
}

TonePlayer::~TonePlayer() {
  if (sink_) {
    sink_->disconnect(this);
    sink_->stop();
  }
}

TonePlayer& TonePlayer::Instance() {
  static TonePlayer* player = new TonePlayer(qApp);
  return *player;
}

void TonePlayer::Play(int frequency_hz, int duration_ms) {
  if (frequency_hz <= 0 || duration_ms <= 0) return;
  if (!sink_) {
    QApplication::beep();
    return;
  }
  queue_.push_back({frequency_hz, duration_ms});
  if (!playing_) PlayNext();
}

QByteArray TonePlayer::Synthesise(int frequency_hz, int duration_ms, int sample_rate) {
  const int samples = static_cast<int>(static_cast<int64_t>(sample_rate) * duration_ms / 1000);
  const int fade = std::min(samples / 2, sample_rate / 200);  // 5 ms
  QByteArray pcm(samples * 2, '\0');
  auto* out = reinterpret_cast<int16_t*>(pcm.data());
  const double step = 2.0 * std::numbers::pi * frequency_hz / sample_rate;
  for (int i = 0; i < samples; ++i) {
    double gain = 0.4;
    if (i < fade) gain *= static_cast<double>(i) / fade;
    if (samples - 1 - i < fade) gain *= static_cast<double>(samples - 1 - i) / fade;
    out[i] = static_cast<int16_t>(std::lround(32767.0 * gain * std::sin(step * i)));
  }
  return pcm;
}

void TonePlayer::PlayNext() {
  if (queue_.empty()) {
    playing_ = false;
    return;
  }
  const Tone tone = queue_.front();
  queue_.pop_front();
  playing_ = true;
  source_.close();
  pcm_ = Synthesise(tone.frequency_hz, tone.duration_ms, sample_rate_);
  source_.setData(pcm_);
  source_.open(QIODevice::ReadOnly);
  sink_->start(&source_);
  if (sink_->state() == QAudio::StoppedState) {
    // The device refused; the system beep still tells the operator.
    QApplication::beep();
    PlayNext();
  }
}

void TonePlayer::OnStateChanged() {
  if (!playing_ || sink_->state() != QAudio::IdleState) return;
  sink_->stop();
  PlayNext();
}

}  // namespace woodtick
