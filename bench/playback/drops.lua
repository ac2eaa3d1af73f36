-- Loaded into mpv by the playback benchmark: reports the drop counters as mpv quits.
mp.register_event("shutdown", function()
  local vo = mp.get_property_number("frame-drop-count", 0)
  local dec = mp.get_property_number("decoder-frame-drop-count", 0)
  io.stderr:write(string.format("mpv: player dropped %d frames\n", vo + dec))
end)
