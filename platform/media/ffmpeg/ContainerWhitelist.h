#pragma once
// What FFmpeg may open for us: the demuxers of audio and video containers, over the file protocol
// only. Anything else FFmpeg can open (images, playlists and concat lists that name other files,
// subtitles, text, raw data, devices, network protocols) is not a movie. Shared by the media
// layer's FFmpeg module and the audio file reader, so both refuse the same files.
namespace platform::media {

inline constexpr const char* kContainerWhitelist =
    "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,avi,asf,flv,mpeg,mpegts,mpegvideo,ogg,mp3,wav,w64,aiff,"
    "flac,ape,mpc,mpc8,wv,tta,aac,ac3,eac3,dts,dtshd,truehd,mlp,amr,amrnb,amrwb,au,caf,dsf,iff,rm,"
    "nut,mxf,gxf,dv,ivf,h264,hevc,m4v,mpegvideo,oma,xwma,voc,loas,tak,shn,rf64,vqf,wsaud,sox,"
    "yuv4mpegpipe,avs,bink,smk,roq,thp,film_cpk,str,nsv,vivo,xmv,wtv,dvd_nav,vob,r3d,mlv,"
    "aa,aax,adx,dfa,mmf,qcp,sbg,smjpeg,wve,xa,spdif,pva,ea,4xm,cdxl,fsb,msf,genh,bfstm,brstm";

inline constexpr const char* kProtocolWhitelist = "file";

}  // namespace platform::media
