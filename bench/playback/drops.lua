-- Loaded into mpv by the playback benchmark: reports the drop counters as mpv quits. They are
-- followed while mpv plays: by the time of its shutdown event the video output is gone and they
-- read 0.
local counts = { ["frame-drop-count"] = 0, ["decoder-frame-drop-count"] = 0 }
for name in pairs(counts) do
  mp.observe_property(name, "number", function(_, value)
    if value and value > counts[name] then counts[name] = value end
  end)
end
mp.register_event("shutdown", function()
  io.stderr:write(string.format("mpv: player dropped %d frames\n",
    counts["frame-drop-count"] + counts["decoder-frame-drop-count"]))
end)
