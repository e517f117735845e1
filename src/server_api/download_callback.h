// Progress of a download, as the update dialog receives it.
#pragma once

class CDownLoadCallBack {
 public:
  // Called on the downloading thread with the total size (the reply's length;
  // the received count at the end of a reply that had none) and the bytes
  // received so far.
  virtual void OnDownloadProgress(double total, double received) = 0;

 protected:
  ~CDownLoadCallBack() = default;
};
