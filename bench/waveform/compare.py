"""Times Ripplecast and ffmpeg decode-only on each file (median of RUNS alternating runs, 5 by
default) with Ripplecast's peak memory against its budget of 4 bytes per frame plus 40 MiB."""
import os, subprocess, sys, tempfile, time

FRAMES_PER_SECOND = 44100
RUNS = int(os.environ.get('RUNS', '5'))


def measure(cmd, env):
    """Wall seconds and peak resident kilobytes of one run."""
    start = time.monotonic()
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    if status != 0:
        sys.exit('failed: %s' % ' '.join(cmd))
    return wall, usage.ru_maxrss


def median(values):
    return sorted(values)[len(values) // 2]


tool, files = sys.argv[1], sys.argv[2:]
home = tempfile.mkdtemp(prefix='bench-waveform-')
env = dict(os.environ, HOME=home, XDG_DATA_HOME=home + '/data', XDG_CONFIG_HOME=home + '/config')
worst = 0.0
for path in files:
    ours, peer, rss = [], [], 0
    for _ in range(RUNS):
        w, m = measure([tool, path], env)
        ours.append(w)
        rss = max(rss, m)
        w, _ = measure(['ffmpeg', '-nostdin', '-v', 'error', '-i', path, '-f', 'f32le', '-ac', '2', '-y', '/dev/null'], env)
        peer.append(w)
    ratio = median(ours) / median(peer)
    worst = max(worst, ratio)
    frames = 600 * FRAMES_PER_SECOND
    budget_mb = (frames * 4 + 40 * 2**20) / 1e6
    print('%-18s Ripplecast %6.3f s  ffmpeg decode %6.3f s  ratio %.2f (target <= 1.25)'
          % (os.path.basename(path), median(ours), median(peer), ratio))
    print('%-18s peak memory %6.1f MB; budget (4 bytes per frame + 40 MiB) %6.1f MB' %
          ('', rss * 1024 / 1e6, budget_mb))
    if not os.listdir(home + '/data/Karvane/Waveforms'):
        sys.exit('no waveform stored')
print('worst ratio %.2f' % worst)
