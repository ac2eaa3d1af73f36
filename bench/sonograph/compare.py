"""Times sonogram and ffmpeg decoding alone on the same file, alternating, median of RUNS each."""
import os, subprocess, sys, time

RUNS = 3


def wall(cmd):
    start = time.monotonic()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start


def median(values):
    return sorted(values)[len(values) // 2]


tool, audio, out = sys.argv[1:4]
ours, peer = [], []
for _ in range(RUNS):
    ours.append(wall([tool, audio, out]))
    peer.append(wall(['ffmpeg', '-nostdin', '-v', 'error', '-i', audio, '-f', 'f32le', '-y', '/dev/null']))
ratio = median(ours) / median(peer)
print('%s: sonogram %.3f s, ffmpeg decode alone %.3f s, ratio %.2f (target <= 1.5)'
      % (os.path.basename(audio), median(ours), median(peer), ratio))
