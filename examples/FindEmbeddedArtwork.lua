-- Coverfetch lookup script: finds a track in a music folder and answers its embedded cover art.
--
--   Coverfetch "artist title" /path/to/FindEmbeddedArtwork.lua results.plist
--
-- The music folder is $COVERFETCH_MUSIC_DIR, or ~/Music when that is not set. A track matches
-- when every word of the search term occurs (ignoring case) in its path below the music folder;
-- matches are tried in path order and the first embedded picture found is answered, its bytes
-- unchanged (JPEG, PNG or whatever the file holds). Nothing found answers nil (no artwork).
--
-- Embedded pictures are read from MP3 (ID3v2.2 to 2.4 "APIC"/"PIC" frames), FLAC ("PICTURE"
-- blocks, also behind an ID3 tag), and MP4/M4A/M4B/MOV ("covr" in the iTunes metadata list).
-- A front cover (picture type 3) is preferred over other pictures of the same file.

local FRONT_COVER = 3

local function u32(s, i) return (string.unpack(">I4", s, i)) end
local function u24(s, i) return (string.unpack(">I3", s, i)) end
local function syncsafe(s, i)
  local a, b, c, d = s:byte(i, i + 3)
  return ((a & 0x7f) << 21) | ((b & 0x7f) << 14) | ((c & 0x7f) << 7) | (d & 0x7f)
end

-- Keeps the first picture, or a front cover found later.
local function chooser()
  local best, bestType
  return function(data, pictureType)
    if data and #data > 0 and (best == nil or (pictureType == FRONT_COVER and bestType ~= FRONT_COVER)) then
      best, bestType = data, pictureType
    end
    return best
  end
end

---------------------------------------------------------------------------------------------------
-- ID3v2

-- Position just after a text terminated for the given text encoding (0/3: one zero byte,
-- 1/2: two zero bytes on an even offset).
local function skipText(s, i, encoding)
  if encoding == 1 or encoding == 2 then
    while i + 1 <= #s do
      if s:byte(i) == 0 and s:byte(i + 1) == 0 then return i + 2 end
      i = i + 2
    end
    return nil
  end
  local z = s:find("\0", i, true)
  return z and z + 1
end

local function unsynchronise(s) return (s:gsub("\255%z", "\255")) end

local function id3Pictures(tag, major, keep)
  local i = 1
  local idLength, headerLength = 4, 10
  if major == 2 then idLength, headerLength = 3, 6 end
  while i + headerLength - 1 <= #tag do
    local id = tag:sub(i, i + idLength - 1)
    if not id:match("^[A-Z0-9]+$") then break end -- padding or garbage ends the frames
    local size, flags
    if major == 2 then
      size, flags = u24(tag, i + 3), 0
    elseif major == 3 then
      size, flags = u32(tag, i + 4), string.unpack(">I2", tag, i + 8)
    else
      size, flags = syncsafe(tag, i + 4), string.unpack(">I2", tag, i + 8)
    end
    local first = i + headerLength
    if size == 0 or first + size - 1 > #tag then break end
    local body = tag:sub(first, first + size - 1)
    i = first + size

    if major == 4 then
      if flags & 0x0001 ~= 0 then body = body:sub(5) end -- data length indicator
      if flags & 0x0002 ~= 0 then body = unsynchronise(body) end
      if flags & 0x000C ~= 0 then body = nil end -- compressed or encrypted: not handled
    elseif major == 3 and flags & 0x00C0 ~= 0 then
      body = nil
    end

    if body and (id == "APIC" or id == "PIC") and #body > 4 then
      local encoding = body:byte(1)
      local j
      if id == "PIC" then
        j = 5 -- three-letter image format
      else
        j = body:find("\0", 2, true)
        j = j and j + 1
      end
      if j and j <= #body then
        local pictureType = body:byte(j)
        local dataStart = skipText(body, j + 1, encoding)
        if dataStart then keep(body:sub(dataStart), pictureType) end
      end
    end
  end
end

-- Reads an ID3v2 tag at the file's start; answers its end offset (0 when there is none).
local function readID3(f, keep)
  f:seek("set", 0)
  local header = f:read(10)
  if not header or #header < 10 or header:sub(1, 3) ~= "ID3" then return 0 end
  local major, flags = header:byte(4), header:byte(6)
  local size = syncsafe(header, 7)
  local tagEnd = 10 + size + ((major == 4 and flags & 0x10 ~= 0) and 10 or 0)
  if major < 2 or major > 4 or not keep then return tagEnd end
  local tag = f:read(size) or ""
  if major == 3 and flags & 0x80 ~= 0 then tag = unsynchronise(tag) end
  if flags & 0x40 ~= 0 and major >= 3 then -- extended header
    local extended = major == 3 and u32(tag, 1) + 4 or syncsafe(tag, 1)
    tag = tag:sub(extended + 1)
  end
  id3Pictures(tag, major, keep)
  return tagEnd
end

---------------------------------------------------------------------------------------------------
-- FLAC

local function readFLAC(f, keep)
  local start = readID3(f, nil)
  f:seek("set", start)
  if f:read(4) ~= "fLaC" then return end
  for _ = 1, 1000 do
    local header = f:read(4)
    if not header or #header < 4 then return end
    local kind, length = header:byte(1), u24(header, 2)
    local last = kind & 0x80 ~= 0
    kind = kind & 0x7f
    if kind == 6 then
      local block = f:read(length) or ""
      if #block < length then return end
      local ok = pcall(function()
        local pictureType, mimeLength = string.unpack(">I4I4", block)
        local p = 9 + mimeLength
        local descriptionLength = u32(block, p)
        p = p + 4 + descriptionLength + 16
        local dataLength = u32(block, p)
        local data = block:sub(p + 4, p + 3 + dataLength)
        if #data == dataLength then keep(data, pictureType) end
      end)
      if not ok then return end
    else
      f:seek("cur", length)
    end
    if last then return end
  end
end

---------------------------------------------------------------------------------------------------
-- MP4 / QuickTime

local CONTAINERS = { moov = true, udta = true, ilst = true, covr = true }

-- Walks the boxes between first and limit (file offsets).
local function mp4Boxes(f, first, limit, depth, keep)
  local at = first
  while at + 8 <= limit and depth < 8 do
    f:seek("set", at)
    local header = f:read(8)
    if not header or #header < 8 then return end
    local size, kind = u32(header, 1), header:sub(5, 8)
    local headerLength = 8
    if size == 1 then
      local large = f:read(8)
      if not large or #large < 8 then return end
      size, headerLength = string.unpack(">I8", large), 16
    elseif size == 0 then
      size = limit - at
    end
    if size < headerLength or at + size > limit then return end
    local bodyStart = at + headerLength
    if CONTAINERS[kind] then
      mp4Boxes(f, bodyStart, at + size, depth + 1, keep)
    elseif kind == "meta" then
      mp4Boxes(f, bodyStart + 4, at + size, depth + 1, keep) -- full box: version and flags
    elseif kind == "data" and size > headerLength + 8 and size - headerLength - 8 <= 64 * 1024 * 1024 then
      f:seek("set", bodyStart + 8) -- type indicator and locale
      keep(f:read(size - headerLength - 8), FRONT_COVER)
    end
    at = at + size
  end
end

local function readMP4(f, keep)
  local size = f:seek("end")
  mp4Boxes(f, 0, size, 0, keep)
end

---------------------------------------------------------------------------------------------------
-- Search

local READERS = {
  mp3 = readID3, flac = readFLAC,
  m4a = readMP4, m4b = readMP4, m4v = readMP4, mp4 = readMP4, mov = readMP4,
}

local function artworkOfFile(path, reader)
  local f = io.open(path, "rb")
  if not f then return nil end
  local keep = chooser()
  local ok = pcall(reader, f, keep)
  f:close()
  return ok and keep() or nil
end

local function musicFolder()
  local folder = os.getenv("COVERFETCH_MUSIC_DIR")
  if not folder or folder == "" then folder = (os.getenv("HOME") or "") .. "/Music" end
  return (folder:gsub("(.)/+$", "%1"))
end

-- Every file below the folder, in path order; links and whatever they point to are left out.
local function tracks(folder)
  local list = {}
  local function walk(path)
    for _, name in ipairs(fs.list(path) or {}) do
      local full = path .. "/" .. name
      local kind = fs.type(full)
      if kind == "file" then
        list[#list + 1] = full
      elseif kind == "folder" then
        walk(full)
      end
    end
  end
  walk(folder)
  table.sort(list)
  return list
end

local function matches(relativePath, words)
  local lowered = relativePath:lower()
  for _, word in ipairs(words) do
    if not lowered:find(word, 1, true) then return false end
  end
  return true
end

function open(parameters)
  local term = parameters and parameters[1]
  if type(term) ~= "string" then return nil end
  local words = {}
  for word in term:lower():gmatch("%S+") do words[#words + 1] = word end
  if #words == 0 then return nil end

  local folder = musicFolder()
  for _, path in ipairs(tracks(folder)) do
    local relative = path:sub(#folder + 2)
    local reader = READERS[(relative:match("%.([^./]+)$") or ""):lower()]
    if reader and matches(relative, words) then
      local artwork = artworkOfFile(path, reader)
      if artwork then return artwork end
    end
  end
  return nil
end
