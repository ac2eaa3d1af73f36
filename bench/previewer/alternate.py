"""Runs named commands in turn (after one warm-up round), RUNS rounds, and writes each one's wall
times and their median as JSON: alternate.py RUNS OUT.json NAME COMMAND [NAME COMMAND ...]."""
import json, shlex, statistics, subprocess, sys, time

runs, out, pairs = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
commands = list(zip(pairs[0::2], pairs[1::2]))
times = {name: [] for name, _ in commands}
for round_ in range(runs + 1):
    order = commands[round_ % len(commands):] + commands[:round_ % len(commands)]
    for name, command in order:
        start = time.monotonic()
        subprocess.run(shlex.split(command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        if round_ > 0:
            times[name].append(time.monotonic() - start)
results = [{"command": name, "times": t, "median": statistics.median(t), "stddev": statistics.pstdev(t)}
           for name, t in times.items()]
json.dump({"results": results}, open(out, "w"))
